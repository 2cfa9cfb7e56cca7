#!/bin/sh
# Writes a manual page from its template, filling in the synopsis and the
# options from what the program's --help prints, so that the page lists
# exactly the options the program takes:
#   make-man-page.sh PROGRAM TEMPLATE OUTPUT VERSION
# In the template, a line @SYNOPSIS@ or @OPTIONS@ is replaced by those parts,
# and @VERSION@ anywhere by the version. A program given as "-" means the
# template has neither part and the program is not run.
set -eu
program=$1 template=$2 output=$3 version=$4

help=$(mktemp)
trap 'rm -f "$help" "$output.tmp"' EXIT
if [ "$program" != - ]; then
    if ! "$program" --help >"$help"; then
        echo "make-man-page: '$program --help' failed" >&2
        exit 1
    fi
    if [ ! -s "$help" ]; then
        echo "make-man-page: '$program --help' printed nothing" >&2
        exit 1
    fi
fi

LC_ALL=C awk -v version="$version" -v helpfile="$help" '
# Text for roff: backslashes shown as such, a hyphen that begins a word
# (an option, or a lone "-") as a minus sign, and no line starting with a
# control character.
function escape(text,   run) {
    gsub(/\\/, "\\e", text)
    text = " " text
    while (match(text, /[ (\[\/"'"'"'=]-+/)) {
        run = substr(text, RSTART + 1, RLENGTH - 1)
        gsub(/-/, "\\-", run)
        text = substr(text, 1, RSTART) run substr(text, RSTART + RLENGTH)
    }
    text = substr(text, 2)
    if (text ~ /^[.'"'"']/) text = "\\&" text
    return text
}
# An option or program name, every hyphen of it a minus sign.
function minus(text) {
    gsub(/-/, "\\-", text)
    return text
}
# One word of a synopsis or an option form: options bold, names of values
# (capitals) italic, brackets, bars and dots as they are.
function styleword(word,   lead, tail, core) {
    lead = word; sub(/[^[|(].*$/, "", lead)
    core = substr(word, length(lead) + 1)
    tail = ""
    while (core != "" && index("]|.,;)", substr(core, length(core))) > 0) {
        tail = substr(core, length(core)) tail
        core = substr(core, 1, length(core) - 1)
    }
    if (core ~ /^-/) {
        if (index(core, "=") > 0)
            core = styleword(substr(core, 1, index(core, "=") - 1)) "=" \
                   styleword(substr(core, index(core, "=") + 1))
        else
            core = "\\fB" minus(core) "\\fR"
    } else if (core ~ /^[A-Z][A-Z0-9_]*$/) {
        core = "\\fI" core "\\fR"
    } else {
        core = escape(core)
    }
    return lead core tail
}
function styleform(form,   n, words, i, out) {
    n = split(form, words, / /)
    out = ""
    for (i = 1; i <= n; i++) {
        if (words[i] == "") continue
        out = out (out == "" ? "" : " ") styleword(words[i])
    }
    return out
}
function flush() {
    if (form != "") options = options ".TP\n" styleform(form) "\n" escape(text) "\n"
    form = ""; text = ""
}
function parse(line,   n, words, i, rest) {
    if (line ~ /^(Usage|  or): /) {
        sub(/^(Usage|  or): +/, "", line)
        n = split(line, words, / +/)
        synopsis = synopsis ".B " minus(words[1]) "\n"
        rest = ""
        for (i = 2; i <= n; i++) rest = rest (i > 2 ? " " : "") words[i]
        synopsis = synopsis styleform(rest) "\n.br\n"
        return
    }
    if (line ~ /^ +-/) {
        flush()
        if (heading != "") { options = options ".SS " heading "\n"; heading = "" }
        sub(/^ +/, "", line)
        # The form ends where two blanks set the description apart.
        if (match(line, /  +/)) {
            form = substr(line, 1, RSTART - 1)
            text = substr(line, RSTART + RLENGTH)
        } else {
            form = line
        }
        return
    }
    if (form != "" && line ~ /^    +[^ -]/) {
        sub(/^ +/, "", line)
        text = text (text == "" ? "" : " ") line
        return
    }
    flush()
    # A line of its own ending in a colon heads the group of options below it.
    heading = (line ~ /^[^ ].*:$/) ? substr(line, 1, length(line) - 1) : ""
}
BEGIN {
    while ((getline line < helpfile) > 0) parse(line)
    flush()
    sub(/\n\.br\n$/, "\n", synopsis)
}
$0 == "@SYNOPSIS@" {
    if (synopsis == "") { print "make-man-page: no Usage line in the help" > "/dev/stderr"; exit 1 }
    printf "%s", synopsis; next
}
$0 == "@OPTIONS@" {
    if (options == "") { print "make-man-page: no options in the help" > "/dev/stderr"; exit 1 }
    printf "%s", options; next
}
{ gsub(/@VERSION@/, version); print }
' "$template" >"$output.tmp"
mv "$output.tmp" "$output"
