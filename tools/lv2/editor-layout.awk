# Prints the size of the deepest window inside jalv's "Halcyra" window (the
# editor) and of the window holding it; xwininfo indents children by 3.
/^ *0x[0-9a-f]+ / {
  depth = match($0, /0x/)
  if (depth <= top) inside = 0
  if ($0 ~ /"Halcyra": \(/) { inside = 1; top = depth }
  if (!match($0, /[0-9]+x[0-9]+\+/)) next
  size[depth] = substr($0, RSTART, RLENGTH - 1)
  if (inside && depth > deepest) { deepest = depth; editor = size[depth]; holder = size[depth - 3] }
}
END { print editor, holder }
