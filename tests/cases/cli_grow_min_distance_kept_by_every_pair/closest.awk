# The closest pair of atoms in a configuration file, under the minimum image,
# in the box's length unit: line 9 holds the number of types, line 15 the box
# length, and the coordinates (box units) follow the four lines of each type.
NR == 9 { types = $1 }
NR == 15 { box = $1 }
NR > 18 + 4 * types { x[n] = $1; y[n] = $2; z[n] = $3; n++ }
function image(d) { return d - int(d + (d < 0 ? -0.5 : 0.5)) }
END {
  best = -1
  for (i = 0; i < n; i++) {
    for (j = i + 1; j < n; j++) {
      dx = image(x[i] - x[j]); dy = image(y[i] - y[j]); dz = image(z[i] - z[j])
      d = sqrt(dx * dx + dy * dy + dz * dz) * box
      if (d > 0 && (best < 0 || d < best)) best = d
    }
  }
  printf "%d atoms, closest pair apart %.6f\n", n, best
}
