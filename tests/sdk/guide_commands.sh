# The commands docs/framework.md gives a game writer, for the tests that run them as written
# (sourced by tests/windows/new_project.sh and tests/web/new_project.sh).
#   guide_commands GUIDE HEADING   prints the lines of the indented blocks under the heading line
#                                  HEADING (fenced blocks left out), up to the next heading
#   guide_line DIR LINE            runs LINE with sh in DIR as it is written; a failure shows what
#                                  it printed and calls fail
guide_commands() {
  awk -v heading="$2" '
    $0 == heading { inside = 1; next }
    inside && /^```/ { fenced = !fenced; next }
    inside && !fenced && /^#/ { exit }
    inside && !fenced && /^    [^ ]/ { sub(/^    /, ""); print }' "$1"
}
guide_line() {
  echo "\$ $2"
  (cd "$1" && sh -c "$2") >"$1/../step.log" 2>&1 ||
    { sed 's/^/  /' "$1/../step.log"; fail "the guide's command failed: $2"; }
}
