#!/usr/bin/env bash
# Checks the packaging data without building the package: the menu entry is
# valid and opens division files, the file type recognises division files by
# name and by content, the icon and the file type are well-formed XML, the
# changelog's version is the build's, and every licence the copyright file
# names is spelt out in it.
#   check_packaging_data.sh SOURCE_DIR VERSION
set -euo pipefail
src=$1
version=$2
pkg=$src/packaging
failed=0
fail() { echo "FAIL: $*"; failed=1; }

desktop=$pkg/tessaly.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
grep -q '^Name\[zh_CN\]=' "$desktop" || fail "no Chinese name in the menu entry"
grep -q '^Categories=.*Education;' "$desktop" || fail "the menu entry is not in Education"
grep -q '^Exec=tessaly %f$' "$desktop" || fail "the menu entry does not pass the file to tessaly"
grep -q '^Icon=tessaly$' "$desktop" || fail "the menu entry's icon is not tessaly"

mime_xml=$pkg/tessaly-mime.xml
xmllint --noout "$mime_xml" "$pkg/tessaly.svg" || fail "XML does not parse"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime_xml")
[ -n "$type" ] || fail "no file type in $mime_xml"
grep -q "^MimeType=$type;\$" "$desktop" || fail "the menu entry does not open $type"

# The file type as a desktop sees it once installed: a division file is
# recognised by its name, and by its first line when it has another name.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/mime/packages"
cp "$mime_xml" "$tmp/mime/packages/tessaly.xml"
cp /usr/share/mime/packages/freedesktop.org.xml "$tmp/mime/packages/"
XDG_DATA_DIRS=$tmp update-mime-database "$tmp/mime"
cp "$src/data/sample.fb" "$tmp/class.FB"
cp "$src/data/sample.fb" "$tmp/division"
printf 'JiaoYan%%5Fbegin\r\n' >"$tmp/checked"
printf 'ShuJu%%5Fbegin\r\n' >"$tmp/mode.fb"
printf 'plain text\r\n' >"$tmp/other.txt"
content_type() {
  XDG_DATA_HOME=$tmp XDG_DATA_DIRS=$tmp gio info -a standard::content-type "$1" |
    sed -n 's/^ *standard::content-type: //p'
}
for f in "$src/data/sample.fb" "$tmp/class.FB" "$tmp/mode.fb" "$tmp/division" "$tmp/checked"; do
  got=$(content_type "$f")
  [ "$got" = "$type" ] || fail "$f is $got, not $type"
done
got=$(content_type "$tmp/other.txt")
[ "$got" != "$type" ] || fail "any text file is taken for a division file"

got=$(dpkg-parsechangelog -l "$pkg/changelog" -S Version)
[ "$got" = "$version" ] || fail "packaging/changelog is at $got, the build at $version"

# Licence names: every one given in a Files paragraph or in the list of
# linked libraries has a paragraph of its own.
copyright=$pkg/copyright
head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not machine-readable"
defined=$(sed -n 's/^License: *\([^ ]*\)$/\1/p' "$copyright" | sort -u)
used=$(sed -n 's/^ *License: *//p' "$copyright" | sed 's/ with .*//; s/ or /\n/g; s/ and /\n/g' |
  sed 's/^ *//; s/ *$//' | sort -u)
for name in $used; do
  grep -qx "$name" <<<"$defined" || fail "licence $name has no paragraph in the copyright file"
done

exit $failed
