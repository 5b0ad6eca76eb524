#!/usr/bin/env bash
# The Windows program folder, zipped: BUILD/Tessaly-<version>-win64.zip.
#   scripts/windows-zip.sh BUILD PREFIX
# BUILD is the Windows build folder (make windows), PREFIX the toolchain's
# prefix (scripts/windows-toolchain.sh). The folder holds what
# `cmake --install` puts in a program folder (tessaly.exe, tessaly-cli.exe,
# fbhelp/, skin/, sample.fb), every DLL the programs load (found by reading
# their import tables, and those of the DLLs, in turn), the Qt plugins of the
# platform, the style and the image formats, and Qt's Chinese messages.
set -euo pipefail

build=$(cd "$1" && pwd)
prefix=$2
objdump=x86_64-w64-mingw32-objdump
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="Tessaly-$version-win64"
stage="$build/zip/$name"
rm -rf "$build/zip"
mkdir -p "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null

# Where the DLLs come from: the toolchain, then MinGW-w64's C++ runtime.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$prefix/bin" "$runtime" /usr/x86_64-w64-mingw32/lib)

# Qt's plugins, when the desktop program is built.
if [ -f "$stage/tessaly.exe" ]; then
  for kind in platforms styles imageformats; do
    if [ -d "$prefix/plugins/$kind" ]; then
      mkdir -p "$stage/$kind"
      find "$prefix/plugins/$kind" -name '*.dll' ! -name '*d.dll' -exec cp {} "$stage/$kind/" \;
    fi
  done
  # Qt's own buttons and dialogs in Chinese (Debian's qt6-translations-l10n).
  if [ -f /usr/share/qt6/translations/qtbase_zh_CN.qm ]; then
    mkdir -p "$stage/translations"
    cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
  fi
fi

# The DLLs every program and plugin imports that Windows itself does not
# have, in turn for the DLLs copied.
declare -A seen=()
queue=()
while IFS= read -r -d '' f; do queue+=("$f"); done < <(find "$stage" -name '*.exe' -print0 -o -name '*.dll' -print0)
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r dll; do
    key=${dll,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    for dir in "${search[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$stage/"
        queue+=("$stage/$dll")
        break
      fi
    done
  done < <("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
done

# Smaller programs: no symbols.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} \;

rm -f "$build/$name.zip"
(cd "$build/zip" && zip -qr9X "$build/$name.zip" "$name")
echo "$build/$name.zip: $(du -h "$build/$name.zip" | cut -f1)"
