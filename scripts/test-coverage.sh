#!/usr/bin/env bash
# Builds everything counting the lines and branches that run (gcov), runs
# every test, and reports the coverage of the product sources (src/ and
# platform/) per folder, as a Markdown table, with a page per
# file in build/coverage/report/index.html. Fails if a test fails.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${test_packages[@]}" "${coverage_packages[@]}"
build_preset coverage
cd "$top"
# Counts start from zero on every run.
find build/coverage -name '*.gcda' -delete
tests=0
ctest --preset coverage || tests=$?

mkdir -p build/coverage/report
# Branches that only exceptions take, and those the compiler proves never
# taken, are not the code's own: leave them out of the count.
gcovr --root . --filter 'src/' --filter 'platform/' --exclude-throw-branches \
  --exclude-unreachable-branches --json-summary build/coverage/summary.json \
  --html-details build/coverage/report/index.html build/coverage >/dev/null

python3 - build/coverage/summary.json <<'PYTHON'
import collections, json, os, sys

files = json.load(open(sys.argv[1]))["files"]
folders = collections.defaultdict(lambda: [0, 0, 0, 0])
for entry in files:
    counts = (entry["line_covered"], entry["line_total"],
              entry["branch_covered"], entry["branch_total"])
    for key in (os.path.dirname(entry["filename"]) + "/", "all"):
        folders[key] = [a + b for a, b in zip(folders[key], counts)]

def share(covered, total):
    return f"{100 * covered / total:.1f} % ({covered}/{total})" if total else "-"

print("| Folder | Lines | Branches |\n|---|---|---|")
for folder in sorted(folders, key=lambda f: (f == "all", f)):
    lines_covered, lines, branches_covered, branches = folders[folder]
    name = "all of it" if folder == "all" else f"`{folder}`"
    print(f"| {name} | {share(lines_covered, lines)} | {share(branches_covered, branches)} |")
PYTHON
echo "Per file: build/coverage/report/index.html"
exit "$tests"
