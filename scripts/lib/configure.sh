# Sourced, not run: the one way the scripts configure a CMake build folder.
# configure_once DIR SOURCE [cmake options...]: configures DIR from SOURCE when it
# has no cache yet, or afresh when its cache was made with other options (a build
# folder configured with another toolchain file or compiler is not reused).
configure_once() {
    local dir="$1" source="$2"
    shift 2
    local stamp="$dir/.configured-with"
    local wanted="$source $*"
    if [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        mkdir -p "$dir"
        cmake -S "$source" -B "$dir" "$@" >/dev/null || return 1
        echo "$wanted" >"$stamp"
    fi
}
