#!/bin/bash
# Checks an installed Cantabilex: the programs, desktop entry, icons, MIME
# types and AppStream metadata.
#   check-install.sh --deb FILE.deb    unpack the package into a temporary root
#   check-install.sh --tree ROOT       a tree made by `cmake --install . --prefix ROOT`
set -u
app_id=com.sonoferia.Cantabilex
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "${1:-}" in
    --deb)
        deb=${2:?package file}
        dpkg-deb -x "$deb" "$work/root" || { echo "FAIL: cannot unpack $deb"; exit 1; }
        prefix="$work/root/usr"
        depends=$(dpkg-deb -f "$deb" Depends)
        echo "Depends: $depends"
        for lib in libqt6widgets6 libsdl2 libzip4 libfluidsynth libtag1v5 libmpg123 qt6-qpa-plugins libcpp-httplib0.11; do
            [[ "$depends" == *"$lib"* ]] && ok "depends on $lib" || fail "no dependency on $lib"
        done
        ;;
    --tree)
        prefix=${2:?install root}
        ;;
    *)
        echo "usage: $0 --deb FILE | --tree ROOT" >&2
        exit 2
        ;;
esac

for f in bin/cantabilex bin/cbx share/applications/$app_id.desktop \
    share/metainfo/$app_id.metainfo.xml share/mime/packages/cantabilex.xml \
    share/icons/hicolor/scalable/apps/$app_id.svg share/doc/cantabilex/README.md \
    share/doc/cantabilex/copyright; do
    [ -s "$prefix/$f" ] && ok "$f" || fail "missing $f"
done
# The request page's server module, in the program's own library folder.
compgen -G "$prefix/lib*/cantabilex/cantabilex-requests.so" >/dev/null ||
    compgen -G "$prefix/lib/*/cantabilex/cantabilex-requests.so" >/dev/null &&
    ok "request server module" || fail "missing lib/.../cantabilex/cantabilex-requests.so"
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    if file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size"; then
        ok "icon ${size}x${size}"
    else
        fail "icon ${size}x${size} missing or wrong size"
    fi
done

desktop="$prefix/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" && ok "desktop-file-validate" || fail "desktop-file-validate"
grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry names another icon"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] && ok "Exec=$exec_name is installed" || fail "Exec=$exec_name not installed"

appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" \
    && ok "appstreamcli validate" || fail "appstreamcli validate"

# The MIME package must compile and claim each of our extensions.
mkdir -p "$work/mime/packages"
cp "$prefix/share/mime/packages/cantabilex.xml" "$work/mime/packages/"
if XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>"$work/mime.err" && [ ! -s "$work/mime.err" ]; then
    for glob in lrs kok kar cdg; do
        grep -q "\*\.$glob\$" "$work/mime/globs2" && ok "MIME type for .$glob" || fail "no MIME type for .$glob"
    done
else
    cat "$work/mime.err"
    fail "update-mime-database"
fi

# Every MIME type the entry claims is one the desktop knows, ours or shared-mime-info's.
for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
    grep -q "type=\"$type\"" "$prefix/share/mime/packages/cantabilex.xml" /usr/share/mime/packages/*.xml \
        2>/dev/null || [ -e "/usr/share/mime/$type.xml" ] || fail "unknown MIME type $type"
done

# The programs start from the installed place.
if "$prefix/bin/cbx" --help >/dev/null 2>&1; then ok "cbx --help"; else fail "cbx --help"; fi
if QT_QPA_PLATFORM=offscreen "$prefix/bin/cantabilex" --version >/dev/null 2>&1; then
    ok "cantabilex --version"
else
    fail "cantabilex --version"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
