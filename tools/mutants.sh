#!/usr/bin/env bash
# Mutation check of the native tests, run by hand (it takes long; not in CI).
#
# Each mutant of tools/mutants.txt (a file, an exact piece of its text, and
# what replaces it) is applied alone to a copy of the tree; only the native
# tests are rebuilt and run. A mutant is killed when they fail (or time out),
# survived when they pass, and no longer applies when its text is not found
# exactly once (the code moved: move or mend the row). A mutant that breaks
# the build is a fault of the row, shown apart and left out of the score.
#
#   tools/mutants.sh [TEXT]    only the mutants whose file name contains TEXT
#
# Environment: MUTANTS_DIR (the copy and its build, build/mutants; kept
# between runs so that rebuilds are incremental), MUTANTS_GOAL (percent
# killed, 90), MUTANTS_TIMEOUT (seconds per test run, 300), MUTANTS_JOBS
# (build jobs, 2), MUTANTS_SANITIZE (ON: with the sanitizers, slower; OFF).
# Exits 1 when the score is under the goal, 2 when the tree does not build.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
list="$here/tools/mutants.txt"
work=${MUTANTS_DIR:-$here/build/mutants}
goal=${MUTANTS_GOAL:-90}
limit=${MUTANTS_TIMEOUT:-300}
jobs=${MUTANTS_JOBS:-2}
sanitize=${MUTANTS_SANITIZE:-OFF}
only=${1:-}

if command -v ccache >/dev/null && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# The copy: the files git knows of (changes not yet committed included).
# Only a file whose content changed since the last run is written into it,
# with a new time: the build there then compiles exactly what changed.
tree="$work/tree"
build="$work/build"
incoming="$work/incoming"
rm -rf "$incoming"
mkdir -p "$incoming" "$tree" "$build"
(cd "$here" && git ls-files -co --exclude-standard -z |
    tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -C "$incoming" -xf -
(cd "$incoming" && find . -type f) | while IFS= read -r name; do
    cmp -s "$incoming/$name" "$tree/$name" && continue
    mkdir -p "$(dirname "$tree/$name")"
    cp "$incoming/$name" "$tree/$name"
done
(cd "$tree" && find . -type f) | while IFS= read -r name; do
    [ -e "$incoming/$name" ] || rm -f "$tree/$name"
done

# The native tests alone, unoptimised: the quickest to rebuild.
tests="$build/tests/native/native_tests"
if ! cmake -S "$tree" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPENDRIX_SANITIZE="$sanitize" >"$work/configure.log" 2>&1 ||
   ! cmake --build "$build" --target native_tests -j "$jobs" >"$work/build.log" 2>&1; then
    echo "the unchanged tree does not build: see $work/configure.log and $work/build.log" >&2
    exit 2
fi
if ! timeout "$limit" "$tests" --gtest_brief=1 >"$work/test.log" 2>&1; then
    echo "the native tests fail on the unchanged tree: see $work/test.log" >&2
    exit 2
fi

killed=0 survived=0 stale=0 broken=0 number=0
run_mutant() {  # file, text, replacement, line of the row
    local file=$1 text=$2 into=$3 row=$4 path="$tree/$1" original rest verdict
    number=$((number + 1))
    [ -n "$only" ] && [[ $file != *"$only"* ]] && return
    if [ ! -f "$path" ]; then
        verdict="no longer applies (no file)"
    else
        original=$(cat "$path"; printf x)
        original=${original%x}
        rest=${original#*"$text"}
        if [ "$rest" = "$original" ] || [[ $rest == *"$text"* ]]; then
            verdict="no longer applies (text found $([ "$rest" = "$original" ] && echo 0 || echo '2+') times)"
        else
            printf '%s' "${original/"$text"/"$into"}" >"$path"
            if ! cmake --build "$build" --target native_tests -j "$jobs" >"$work/mutant.log" 2>&1; then
                verdict="does not build (mend the row)"
            elif timeout "$limit" "$tests" --gtest_brief=1 --gtest_fail_fast >"$work/mutant.log" 2>&1; then
                verdict="survived"
            else
                verdict="killed"
            fi
            # Written anew (not its old time): the next build compiles it again.
            printf '%s' "$original" >"$path"
        fi
    fi
    case $verdict in
    killed) killed=$((killed + 1)) ;;
    survived) survived=$((survived + 1)) ;;
    does*) broken=$((broken + 1)) ;;
    *) stale=$((stale + 1)) ;;
    esac
    printf '%3d %-30s %s:%s  %s -> %s\n' "$number" "$verdict" "$file" "$row" "$text" "$into"
}

# The list: a line naming a file, then pairs of lines "- text" and
# "+ replacement" (either may be followed by nothing); # starts a comment.
# Read whole first: the list may be edited while the mutants run.
mapfile -t rows <"$list"
file="" text="" have_text=0 line_number=0
for line in "${rows[@]}"; do
    line_number=$((line_number + 1))
    case $line in
    '#'* | '') continue ;;
    '-' | '- '*) text=${line#-}; text=${text# }; have_text=$line_number ;;
    '+' | '+ '*)
        if [ "$have_text" = 0 ] || [ -z "$file" ]; then
            echo "tools/mutants.txt:$line_number: a replacement without its file and text" >&2
            exit 2
        fi
        into=${line#+}; into=${into# }
        run_mutant "$file" "$text" "$into" "$have_text"
        have_text=0 ;;
    *) file=$line ;;
    esac
done

tried=$((killed + survived))
score=$((tried > 0 ? killed * 100 / tried : 0))
echo "killed $killed of $tried ($score%, goal $goal%); no longer applies: $stale; does not build: $broken"
[ "$score" -ge "$goal" ]
