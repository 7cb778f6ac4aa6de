#!/usr/bin/env bash
# The layers as the build means them: the forms model includes nothing built on it, and no core
# file includes a GUI toolkit's header. Fails with the offending lines.
set -euo pipefail
cd "$(dirname "$0")/.."
fail=0
# The forms model is all of forms/: no display binding lives there.
model=$(find forms -path '*/tests' -prune -o \( -name '*.h' -o -name '*.cpp' \) -print)
found=$(find forms -path '*/tests' -prune -o -type f ! -name '*.h' ! -name '*.cpp' -print)
if [ -n "$found" ]; then echo "forms/ holds more than the model:"; echo "$found"; fail=1; fi
# The core: the model, the forms and the runner, without their tests.
core=$(echo "$model"
       find calculators shell about tools/replay -path '*/tests' -prune -o \
            \( -name '*.h' -o -name '*.cpp' \) -print)
if found=$(grep -nE '#include *"(calculators|shell|about|tools|app)/' $model); then
    echo "the forms model includes what is built on it:"; echo "$found"; fail=1
fi
# The display bindings build windows from whatever forms they are given: none includes a form
# (their tests drive the program's own); the entry points in app/ bring the two together.
bindings=$(find display -path '*/tests' -prune -o \( -name '*.h' -o -name '*.cpp' \) -print)
if found=$(grep -nE '#include *"display/' $model); then
    echo "the forms model includes a display binding:"; echo "$found"; fail=1
fi
if found=$(grep -nE '#include *"(calculators|shell|about)/' $bindings); then
    echo "a display binding includes a form:"; echo "$found"; fail=1
fi
# The workings under the plan are the model's own: the bindings build from the plan.
if found=$(grep -nE '#include *"forms/layout\.h"' $bindings); then
    echo "a display binding includes the model's internal layout:"; echo "$found"; fail=1
fi
if found=$(grep -nE '#include *[<"](Q[A-Za-z]*|qt[a-z]*/|gtk/|emscripten)' $core); then
    echo "a core file includes a toolkit header:"; echo "$found"; fail=1
fi
if found=$(grep -nE '#include *[<"](windows|winuser|commctrl)\.h' $core | grep -v '^about/platform_windows\.cpp:'); then
    echo "a core file includes the Windows display headers:"; echo "$found"; fail=1
fi
[ "$fail" -eq 0 ] && echo "layers: forms model, core, bindings, forms and toolkits apart"
exit "$fail"
