# Sourced by the cases that ASE checks: sets $python to a Python that has ASE (Debian's
# python3-ase), or skips the case (status 77) with the reason.
python=
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import ase' 2>/dev/null; then
    python=$candidate
    break
  fi
done
[ -n "$python" ] || { echo "skipped: ASE (python3-ase) is not installed" >&2; exit 77; }
