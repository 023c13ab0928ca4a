constraints from an earlier run
