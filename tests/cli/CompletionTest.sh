#!/bin/bash
# The bash completion of conveyor-cli, run as bash runs it on a Tab: the words so far in
# COMP_WORDS, the function's answer in COMPREPLY.
# Usage: CompletionTest.sh CONVEYOR_CLI COMPLETION_SCRIPT
set -u
cli=$(realpath "$1")
script=$2
failures=0

# shellcheck source=/dev/null
source /usr/share/bash-completion/bash_completion
# shellcheck source=/dev/null
source "$script"
# The completion calls conveyor-cli by name, as an installed one is found.
bin=$(mktemp -d)
folder=$(mktemp -d)
trap 'rm -rf "$bin" "$folder"' EXIT
ln -s "$cli" "$bin/conveyor-cli"
PATH=$bin:$PATH
export XDG_CACHE_HOME=$folder/cache

# Completes the last of the words, given as bash splits the line (quotes and all); the
# answers, one a line.
complete_words()
{
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _conveyor_cli conveyor-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect()
{
    local what=$1 expected=$2 actual=$3
    if [[ $actual != "$expected" ]]; then
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$what" "$expected" "$actual"
        failures=$((failures + 1))
    else
        printf 'ok: %s\n' "$what"
    fi
}

image()
{
    # A big-endian image header: the magic, then the name at 0x20.
    { printf '\x80\x37\x12\x40'; head -c 28 /dev/zero; printf '%-32s' "$2"; head -c 4096 /dev/zero; } >"$1"
}

cd "$folder" || exit 1
mkdir pack
image 'pack/Speed Racer (U) [!].z64' 'SPEED RACER'
image 'pack/Speed Racer (J).z64' 'MACH GO GO GO'
image 'pack/Other.z64' 'OTHER'
echo 'not an image' >pack/readme.txt
(cd pack && 7z a -bd -ms=on '../Speed Racer.7z' 'Speed Racer (U) [!].z64' 'Speed Racer (J).z64' \
    Other.z64 readme.txt >/dev/null && zip -q ../one.zip Other.z64) || exit 1

# The words are what was typed, quotes and all; the answers are the names, which readline
# then quotes as the user began to (the completion asks for file names' quoting).
expect 'members after ARCHIVE/ in double quotes' \
    "$(printf '%s\n' 'Speed Racer.7z/Other.z64' 'Speed Racer.7z/Speed Racer (J).z64' \
        'Speed Racer.7z/Speed Racer (U) [!].z64')" \
    "$(complete_words conveyor-cli info '"Speed Racer.7z/')"
expect 'members with a prefix, blanks escaped' \
    "$(printf '%s\n' 'Speed Racer.7z/Speed Racer (J).z64' 'Speed Racer.7z/Speed Racer (U) [!].z64')" \
    "$(complete_words conveyor-cli send 'Speed\ Racer.7z/Sp')"
expect 'members in single quotes, brackets kept' \
    'Speed Racer.7z/Speed Racer (U) [!].z64' \
    "$(complete_words conveyor-cli send "'Speed Racer.7z/Speed Racer (U) [")"
expect 'a text file inside is no image' '' "$(complete_words conveyor-cli info one.zip/r)"
expect 'a single-image zip' 'one.zip/Other.z64' "$(complete_words conveyor-cli info one.zip/)"
# A word that would run a command if it were evaluated is only ever text.
expect 'no word is evaluated' '' "$(complete_words conveyor-cli info '$(touch evaluated)/x')"
[[ -e evaluated ]] && expect 'nothing ran' 'absent' 'present'
# Files and folders as before, archives among the images.
expect 'archives complete as files' \
    "$(printf '%s\n' 'Speed Racer.7z')" "$(complete_words conveyor-cli info Sp)"
expect 'a folder is no archive' 'pack' "$(complete_words conveyor-cli info pac)"
expect 'commands' 'list' "$(complete_words conveyor-cli li)"

((failures == 0)) || { echo "$failures failed"; exit 1; }
