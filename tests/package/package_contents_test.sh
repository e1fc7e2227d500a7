#!/usr/bin/env bash
# Checks the Debian package without installing it: its name, control fields and file list,
# the desktop entry and AppStream data it carries, its sample prize plan, and the verifiable
# draw's check page and algorithm. (lintian checks it as it is made: scripts/package.sh.)
# Usage: package_contents_test.sh <kelvara_VERSION_ARCH.deb> <version>
# Exit 77 (skipped) when the package has not been built.
set -euo pipefail

deb=${1:?path of the .deb}
version=${2:?the program version}
[[ -f $deb ]] || { echo "SKIP: no package at $deb (scripts/package.sh makes it)"; exit 77; }
for tool in dpkg-deb desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[[ $(basename "$deb") == "kelvara_${version}_$(dpkg --print-architecture).deb" ]] ||
    fail "unexpected file name $(basename "$deb")"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == kelvara ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Section) == utils ]] || fail "Section: $(field Section)"
[[ $(field Priority) == optional ]] || fail "Priority: $(field Priority)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
depends=$(field Depends)
# Computed from the binary, plus the screen and sound plugins Qt loads at run time.
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libxlsxwriter4 libminizip1 qt6-qpa-plugins \
    libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
    [[ ", $depends," == *", $library"[\ ,]* ]] || fail "Depends lacks $library: $depends"
done
[[ ", $(field Recommends)," == *", fonts-noto-cjk,"* ]] || fail "Recommends: $(field Recommends)"
[[ ", $(field Suggests)," == *", cups-client,"* ]] || fail "Suggests: $(field Suggests)"
description=$(field Description)
[[ -n $(head -n1 <<<"$description") ]] || fail "no synopsis"
grep -q 'text file' <<<"$description" || fail "no English description"
grep -q '摇号' <<<"$description" || fail "no Chinese description"

# Files: exactly these, and nothing a build happened to install besides.
app_id=org.kelvara.Kelvara
cat >"$work/expected" <<LIST
./usr/bin/kelvara
./usr/share/applications/$app_id.desktop
./usr/share/doc/kelvara/changelog.gz
./usr/share/doc/kelvara/copyright
./usr/share/doc/kelvara/examples/bonus.txt
./usr/share/doc/kelvara/examples/奖项.txt
./usr/share/doc/kelvara/kelvara-verify.html
./usr/share/doc/kelvara/verifiable-draw.md.gz
./usr/share/icons/hicolor/48x48/apps/$app_id.png
./usr/share/man/man1/kelvara.1.gz
./usr/share/metainfo/$app_id.metainfo.xml
LIST
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/files"
diff -u "$work/expected" "$work/files" || fail "file list differs"

# The installed tree.
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/$app_id.desktop"
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
for line in 'Name=Kelvara' 'Name[zh_CN]=摇号' 'Exec=kelvara' "Icon=$app_id" 'Type=Application'; do
    grep -Fxq "$line" "$desktop" || fail "desktop entry lacks $line"
done
grep -Fq "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "AppStream data does not launch the desktop entry"
[[ -x $root/usr/bin/kelvara ]] || fail "the program is not executable"
file "$root/usr/share/icons/hicolor/48x48/apps/$app_id.png" | grep -q 'PNG image data, 48 x 48' ||
    fail "the icon is no 48 x 48 PNG"
# The sample prize plan, as a user copies it beside the sample list: UTF-8 without a
# byte-order mark, a name and a count on every line, and no more winners than the list has
# candidates (or Initialize would refuse it).
examples="$root/usr/share/doc/kelvara/examples"
plan="$examples/奖项.txt"
if [[ -f $plan ]]; then
    iconv -f UTF-8 -t UTF-8 "$plan" >/dev/null 2>&1 || fail "the sample prize plan is not UTF-8"
    [[ $(head -c3 "$plan" | od -An -tx1 | tr -d ' \n') != efbbbf ]] ||
        fail "the sample prize plan starts with a byte-order mark"
    winners=$(awk 'NF { if (NF < 2 || $NF !~ /^[0-9]+$/) bad = 1; sum += $NF }
                   END { print bad ? -1 : sum + 0 }' "$plan")
    ((winners > 0)) || fail "the sample prize plan has a line without a name and a count, or none"
    candidates=$(wc -l <"$examples/bonus.txt")
    ((winners <= candidates)) ||
        fail "the sample prize plan draws $winners winners from $candidates candidates"
fi
# The verifiable draw's check page, which a browser opens from there, and its algorithm: the
# project's own files, the page as it is and the text compressed.
sources="$(dirname "${BASH_SOURCE[0]}")/../.."
cmp "$sources/resources/kelvara-verify.html" "$root/usr/share/doc/kelvara/kelvara-verify.html" ||
    fail "kelvara-verify.html is not resources/kelvara-verify.html"
zcat "$root/usr/share/doc/kelvara/verifiable-draw.md.gz" | cmp "$sources/docs/verifiable-draw.md" - ||
    fail "verifiable-draw.md.gz is not docs/verifiable-draw.md"
zcat "$root/usr/share/doc/kelvara/changelog.gz" | head -n1 | grep -q "^kelvara ($version)" ||
    fail "the change log does not start with this version"

((failures == 0)) || exit 1
echo "PASS"
