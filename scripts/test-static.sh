#!/usr/bin/env bash
# Static analysis of the product sources (src/ and platform/: the desktop
# stand-in, its window program, and the phone adapter on the simulated SDK)
# with cppcheck and clang-tidy, using the compile commands of the default
# build. Any finding fails. The clang-tidy checks are in .clang-tidy;
# deliberate exceptions are suppressed in place, each with its reason.
set -eu
source "$(dirname "$0")/lib.sh"
ensure_packages "${build_packages[@]}" "${static_packages[@]}"
cd "$top"
# Configuring is enough: the analysers need only build/default/compile_commands.json.
build_preset default --configure-only
sources=$(find src platform -name '*.cpp' | sort)
status=0

echo "cppcheck: $(echo "$sources" | wc -l) files"
# missingOverride: the phone's code is C++98, which has no override.
cppcheck --project=build/default/compile_commands.json --file-filter='src/*' \
  --file-filter='platform/*' --library=qt --enable=warning,style,performance,portability \
  --inline-suppr --suppress=missingIncludeSystem --suppress='missingOverride:platform/phone/*' \
  --error-exitcode=1 --quiet -j 2 --template='{file}:{line}: {severity}: {message} [{id}]' ||
  status=1

echo "clang-tidy: $(echo "$sources" | wc -l) files"
echo "$sources" | xargs -P 2 -n 1 clang-tidy-14 -p build/default --quiet 2>/dev/null || status=1

[ "$status" -eq 0 ] && echo "static analysis: no findings"
exit "$status"
