#!/usr/bin/env bash
# The Debian package as a user gets it, unpacked with dpkg-deb into a scratch folder: exactly the
# files below; stripped programs that say their version and licence; every library the programs
# link or open at run time named in Depends; a desktop entry, metainfo and manual pages that the
# tools made for them accept; manual pages and a bash completion that know every command and
# option the programs' --help lists.
# Usage: PackageTest.sh PACKAGE.deb VERSION
set -euo pipefail
deb=$1
version=$2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/sondrel-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# Compares two newline-separated sets; the difference is printed.
same_set() { # what, first name, first set, second name, second set
    local d
    if ! d=$(diff <(sort -u <<<"$3" | sed '/^$/d') <(sort -u <<<"$5" | sed '/^$/d')); then
        fail "$1: < only in $2, > only in $4:"$'\n'"$d"
    fi
}

dpkg-deb -x "$deb" "$root"
cli=$root/usr/bin/sondrel-cli
app=$root/usr/bin/sondrel
# sondrel makes its application object before it reads its options.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# ---- The files, and nothing else
same_set "files" "the list" "usr/bin/sondrel
usr/bin/sondrel-cli
usr/share/applications/sondrel.desktop
usr/share/bash-completion/completions/sondrel-cli
usr/share/doc/sondrel/README.md
usr/share/doc/sondrel/README.html
usr/share/doc/sondrel/changelog.gz
usr/share/doc/sondrel/copyright
usr/share/icons/hicolor/48x48/apps/sondrel.png
usr/share/icons/hicolor/128x128/apps/sondrel.png
usr/share/icons/hicolor/256x256/apps/sondrel.png
usr/share/icons/hicolor/scalable/apps/sondrel.svg
usr/share/man/man1/sondrel.1.gz
usr/share/man/man1/sondrel-cli.1.gz
usr/share/metainfo/io.github.sondrel.sondrel.metainfo.xml
usr/share/sondrel/translations/sondrel_de.qm" \
    "the package" "$(cd "$root" && find . ! -type d ! -path './usr/share/doc/sondrel/docs/*' |
        sed 's|^\./||')"
# The help page the window opens: HTML whose pictures (shown or linked) are exactly the
# screenshots beside it.
help=$root/usr/share/doc/sondrel
grep -qi '<html' "$help/README.html" || fail "README.html is no HTML page"
same_set "help pictures" "the page" \
    "$(grep -oE '(src|href)="docs/[^"]*"' "$help/README.html" | sed 's/^[a-z]*="//; s/"$//')" \
    "the package" "$(cd "$help" && find docs -type f)"

for size in 48 128 256; do
    file -b "$root/usr/share/icons/hicolor/${size}x$size/apps/sondrel.png" |
        grep -q "^PNG image data, $size x $size," || fail "the ${size}px icon is no ${size}x$size PNG"
done
for program in "$app" "$cli"; do
    file -b "$program" | grep -q 'ELF.*, stripped$' || fail "$program is not stripped"
    name=${program##*/}
    notice=$("$program" --version)
    [ "$(head -n1 <<<"$notice")" = "$name $version" ] ||
        fail "$name --version says \"$(head -n1 <<<"$notice")\", the package is $version"
    grep -q 'GPL-3.0-or-later' <<<"$notice" || fail "$name --version names no licence"
done

# ---- The control fields and the changelog
[ "$(dpkg-deb -f "$deb" Package)" = sondrel ] || fail "the package is not called sondrel"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
[ "${deb##*/}" = "sondrel_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "the package file is called ${deb##*/}"
zcat "$root/usr/share/doc/sondrel/changelog.gz" >"$scratch/changelog"
[ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's newest entry is not $version"

# ---- Depends names the package of every library the programs link and of every one they open
# themselves: sondrel-cli runs what opens the encoders' libraries (a conversion to MP3 of a
# short WAV) and FFmpeg (the WMA formats), and the dynamic loader tells which files were opened.
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g')
sox -q -n -r 44100 -c 2 -b 16 "$scratch/short.wav" trim 0 0.1
opened=$({
    LD_DEBUG=files "$cli" --config-dir "$scratch/config" convert --to mp3 --out "$scratch/out" \
        "$scratch/short.wav" >/dev/null
    LD_DEBUG=files "$cli" --config-dir "$scratch/config" wma-formats >/dev/null
} 2>&1 | sed -n 's|.*opening file=/[^ ]*/\([^/ ]*\) .*|\1|p')
grep -q '^libmp3lame' <<<"$opened" || fail "the conversion to MP3 did not open LAME"
needed=$(for program in "$app" "$cli"; do
    readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
done)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libraries=$(sort -u <<<"$needed"$'\n'"$opened" | sed '/^$/d')
# "package library" for each, asked of dpkg in one go (it reads its whole file list each time)
# for both folders the libraries of this architecture live in.
owners=$({ dpkg -S $(sed "s|.*|/lib/$multiarch/& /usr/lib/$multiarch/&|" <<<"$libraries") || true; } 2>/dev/null |
    sed -n 's|^\([^:,]*\)[^ ]* .*/\([^/]*\)$|\1 \2|p')
for library in $libraries; do
    owner=$(awk -v l="$library" '$2 == l { print $1; exit }' <<<"$owners")
    if [ -z "$owner" ]; then
        fail "no installed package holds $library"
    elif ! grep -qxF "$owner" <<<"$depends"; then
        fail "$library comes from $owner, which Depends does not name"
    fi
done

# ---- Desktop entry and metainfo, as the desktop's own validators see them
desktop-file-validate "$root/usr/share/applications/sondrel.desktop" ||
    fail "desktop-file-validate refuses the desktop entry"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli refuses the metainfo"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli refuses the installed tree"

# ---- Manual pages: they render without a warning, and name every option the program's --help
# names (and no other); sondrel-cli's has a section per command holding that command's options.
options_in() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }
page_text() { zcat "$root/usr/share/man/man1/$1.1.gz" | sed 's/\\f[BIRP]//g; s/\\-/-/g'; }
for name in sondrel sondrel-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$root/usr/share/man/man1/$name.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$name(1) renders with warnings: $warnings"
    same_set "options of $name" "--help" "$("$root/usr/bin/$name" --help | options_in)" \
        "the manual page" "$(page_text "$name" | options_in)"
done

help=$("$cli" --help)
# "command option" for each option in a command's usage lines: from a line that starts with the
# command's name to the first line of its description (which starts with a capital).
usage=$(awk '/^Commands:/ { inside = 1; next }
    /^[^ ]/ { inside = 0 }
    inside && /^  [a-z]/ { name = $1; inusage = 1 }
    inside && /^      [A-Z]/ { inusage = 0 }
    inside && inusage { print name, $0 }' <<<"$help" |
    while read -r name line; do
        for option in $(options_in <<<"$line"); do echo "$name $option"; done
    done | sort -u)
commands=$(awk '/^Commands:/ { inside = 1; next } /^[^ ]/ { inside = 0 }
    inside && /^  [a-z]/ { print $1 }' <<<"$help" | sort -u)
page=$(page_text sondrel-cli)
same_set "commands" "--help" "$commands" "sondrel-cli(1)" \
    "$(sed -n '/^\.SH COMMANDS/,/^\.SH/s/^\.SS //p' <<<"$page")"
for command in $commands; do
    section=$(awk -v c="$command" '/^\.S[SH]/ { inside = ($0 == ".SS " c) } inside' <<<"$page")
    for option in $(sed -n "s/^$command //p" <<<"$usage"); do
        grep -Eq -- "$option([^a-z0-9-]|$)" <<<"$section" ||
            fail "sondrel-cli(1) has no $option in the section of $command"
    done
done

# ---- Bash completion: sourced as bash-completion does, then asked what follows a command line.
# A one-track image makes drive 0, which the completion asks sondrel-cli for.
head -c $((2352 * 75 * 4)) /dev/zero >"$scratch/one.bin"
printf 'FILE "one.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n' >"$scratch/one.cue"
complete_line() { # the completions of the words given, the last one being completed
    bash --norc --noprofile -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        compopt() { :; } # it acts only while readline completes; here there is no line to change
        function=$(complete -p sondrel-cli | sed -n "s/.*-F \([^ ]*\).*/\1/p")
        shift
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        "$function" sondrel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$root/usr/share/bash-completion/completions/sondrel-cli" "$@"
}
same_set "commands completed" "--help" "$commands" "the completion" "$(complete_line "$cli" '')"
for command in $commands; do
    same_set "options completed for $command" "--help" "$(sed -n "s/^$command //p" <<<"$usage")" \
        "the completion" "$(complete_line "$cli" "$command" --)"
done
same_set "formats completed" "--help" \
    "$(grep -o -- '--format [a-z0-9|]*' <<<"$help" | head -n1 | cut -d' ' -f2 | tr '|' '\n')" \
    "the completion" "$(complete_line "$cli" rip --format '')"
complete_line "$cli" --config-dir "$scratch/config" --disc-image "$scratch/one.cue" tracks \
    --drive '' | grep -qx 0 || fail "--drive does not complete to the disc image's drive 0"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of $deb failed" >&2
    exit 1
fi
echo "$deb: files, Depends, metadata, manual pages and completion as they should be"
