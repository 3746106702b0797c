# Sourced by bench/run and bench/soak: puts a run's figures into a document
# between its "figures begin" and "figures end" markers, so that the prose
# around them survives a new run.
#   zorvel_write_figures DOCUMENT FIGURES-FILE WRITER-COMMAND
zorvel_write_figures() {
    local document=$1 figures=$2 writer=$3
    local begin="<!-- figures begin ($writer writes this part) -->" end='<!-- figures end -->'
    [ -f "$document" ] || printf '%s\n%s\n' "$begin" "$end" >"$document"
    grep -qF "$begin" "$document" || printf '\n%s\n%s\n' "$begin" "$end" >>"$document"
    awk -v begin="$begin" -v end="$end" -v figures="$figures" '
        $0 == begin { print; print ""; while ((getline line < figures) > 0) print line; skip = 1; next }
        $0 == end { skip = 0 }
        !skip { print }
    ' "$document" >"$document.new"
    mv "$document.new" "$document"
    echo "Figures written to ${document#"$top/"}"
}
