previous constraints, must stay
