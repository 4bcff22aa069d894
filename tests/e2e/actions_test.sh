# Window commands reach a window over D-Bus (org.freedesktop.Application
# ActivateAction); unknown actions and wrong parameters are D-Bus errors.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 320x240 "$pics/a.png" '#204080'
"$MAKE_SAMPLES" plain 320x240 "$pics/b.png" '#802040'

action() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
    --method org.freedesktop.Application.ActivateAction "$1" "$2" '{}' 2>&1
}

start_fennic "$pics/a.png"
wait_for_window a.png >/dev/null

# The windows and their keys, for addressing one of them.
windows=$(gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
  --method org.fennic.Fennic.Windows 2>&1) || fail "Windows failed: $windows"
[[ $windows =~ \(\[\(\'([^\']+)\',\ \'$pics/a.png\'\)\],\) ]] || fail "Windows gave: $windows"
key=${BASH_REMATCH[1]}
out=$(action moveImageNext '[]') || fail "moveImageNext refused: $out"
wait_for_window b.png >/dev/null

out=$(action noSuchAction '[]') && fail "an unknown action was accepted"
[[ $out == *InvalidArgs* && $out == *noSuchAction* ]] || fail "unknown action: $out"
out=$(action moveImageBack '[<42>]') && fail "a number as parameter was accepted"
[[ $out == *InvalidArgs* ]] || fail "wrong parameter: $out"
out=$(action moveImageBack "[<'NO-SUCH-WINDOW'>]") && fail "an unknown window was accepted"
out=$(action convertImage '[]') && fail "convertImage without a value was accepted"
windows=$(answered) || fail "Windows failed: $windows"
[[ $windows == *"'$pics/b.png'"* ]] || fail "a refused action changed the window: $windows"
xdotool search --onlyvisible --name '^b.png$' >/dev/null || fail "a refused action changed the window"

out=$(action moveImageBack "[<'$key'>, <42>]") && fail "a number as value was accepted"
out=$(action moveImageBack "[<'$key'>]") || fail "moveImageBack refused: $out"
wait_for_window a.png >/dev/null
echo "PASS"
