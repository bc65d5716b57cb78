# The benchmarks' fixture trees, made once. Sourced by the benchmark scripts:
#   heft_bench_tree DIR TOPS SUBS FILES [sized]   bench/make_tree.py's tree at DIR/tree
heft_bench_tree() {
    local dir=$1
    shift
    [ -f "$dir/.complete" ] && return 0
    echo "bench: making the fixture tree $dir (once)" >&2
    rm -rf "$dir"
    python3 "$(dirname "${BASH_SOURCE[0]}")/../make_tree.py" "$dir/tree" "$@"
    touch "$dir/.complete"
}
