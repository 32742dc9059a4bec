# Sourced by the top-level scripts: installing what is missing.

PYXET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Whether this machine's kernel runs 32-bit x86 programs. Some kernels are
# built without that, and then no 32-bit Wine can start. Asks the kernel
# directly with the smallest program there is (a 96-byte i386 ELF that exits
# with 42), so the answer needs no package.
kernel_runs_32bit() {
    local probe elf
    # ELF header, one loadable segment, then: mov eax, 1; mov ebx, 42; int 0x80
    elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    elf+='\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
    elf+='\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
    elf+='\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'
    elf+='\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00'
    elf+='\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
    mkdir -p "$PYXET_ROOT/build"
    probe=$(mktemp "$PYXET_ROOT/build/.probe32.XXXXXX") || return 1  # not /tmp: it may be noexec
    printf "$elf" >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    [ $status -eq 42 ]
}

# The packages this machine should have: scripts/packages.txt, and 32-bit
# Wine where the kernel can run it.
wanted_packages() {
    grep -v -E '^\s*(#|$)' "$PYXET_ROOT/scripts/packages.txt"
    kernel_runs_32bit && echo "wine32:i386"
}

# Installs the packages that are missing and generates the Japanese locale;
# a second run installs nothing and needs no network.
ensure_packages() {
    local missing=() p
    for p in $(wanted_packages); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        install_packages "${missing[@]}" || return 1
    fi
    ensure_japanese_locale
}

install_packages() {
    local sudo="" log="$PYXET_ROOT/build/install.log" started=$SECONDS
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    mkdir -p "$PYXET_ROOT/build"
    echo "== installing $# packages from Debian's archive (several minutes on a new machine; log: build/install.log):"
    echo "   $*"
    {
        # 32-bit Wine comes from the i386 side of the archive.
        if [[ " $* " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
            $sudo dpkg --add-architecture i386
        fi
        $sudo apt-get update &&
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "$@"
    } >"$log" 2>&1 || { tail -n 30 "$log"; echo "the install failed; the whole log is $log"; return 1; }
    echo "   installed in $((SECONDS - started)) s"
}

# Wine turns Windows file names into Unix ones through the C library's
# character set: without this locale a Japanese folder name is "not found".
ensure_japanese_locale() {
    locale -a 2>/dev/null | grep -qx 'ja_JP.utf8' && return 0
    echo "== generating the ja_JP.UTF-8 locale"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

# Configures and builds a preset, its output in build/PRESET-build.log; on
# failure prints the log's end.
build_preset() {  # preset
    local log="build/$1-build.log"
    echo "== building $1 (log: $log)"
    mkdir -p "$PYXET_ROOT/build"
    (cd "$PYXET_ROOT" && cmake --preset "$1" && cmake --build --preset "$1" -j "$(nproc)") \
        >"$PYXET_ROOT/$log" 2>&1 && return 0
    tail -n 40 "$PYXET_ROOT/$log"
    echo "(the whole log: $log)"
    return 1
}
