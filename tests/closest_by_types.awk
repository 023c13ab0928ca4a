# The closest pair of atoms of each pair of types in a configuration file,
# searched over all pairs under the minimum image, in the box's length unit,
# beside the minimum distance the pair must keep. Variables: distances, as
# --min-distance takes it ("0.8", or "1-2=0.9,2-2=1.5,*=0.8"), and centres,
# the number of central atoms (the first atoms of type 1), which are not
# compared with one another.
BEGIN {
  n = split(distances, items, ",")
  for (i = 1; i <= n; i++) {
    if (split(items[i], kv, "=") == 1) { others = kv[1]; continue }
    if (kv[1] == "*") { others = kv[2]; continue }
    split(kv[1], ab, "-")
    want[ab[1] + 0, ab[2] + 0] = want[ab[2] + 0, ab[1] + 0] = kv[2]
  }
}
/molecules of all types/ { total = $1 }
/molecules of type/ { count[++types] = $1 }
previous ~ /Defining vectors/ { box = $1 }
{ previous = $0; text[NR] = $0 }
function image(d) { return d - int(d + (d < 0 ? -0.5 : 0.5)) }
function minimum(a, b) { return ((a, b) in want) ? want[a, b] : others + 0 }
END {
  a = 0
  for (t = 1; t <= types; t++) for (k = 0; k < count[t]; k++) type[a++] = t
  for (a = 0; a < total; a++) {
    split(text[NR - total + 1 + a], v, " ")
    x[a] = v[1]; y[a] = v[2]; z[a] = v[3]
  }
  for (i = 0; i < total; i++) {
    for (j = i + 1; j < total; j++) {
      if (i < centres && j < centres) continue
      dx = image(x[i] - x[j]); dy = image(y[i] - y[j]); dz = image(z[i] - z[j])
      d = sqrt(dx * dx + dy * dy + dz * dz) * box
      p = type[i] < type[j] ? type[i] "-" type[j] : type[j] "-" type[i]
      if (!(p in best) || d < best[p]) best[p] = d
      if (d < minimum(type[i], type[j]) - 1e-10 * box) below++
    }
  }
  for (t = 1; t <= types; t++) {
    for (u = t; u <= types; u++) {
      if ((t "-" u) in best) printf "types %d-%d: closest %.6f, minimum %g\n", t, u, best[t "-" u], minimum(t, u)
    }
  }
  printf "pairs closer than their minimum: %d\n", below
}
