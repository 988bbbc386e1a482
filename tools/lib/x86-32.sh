# Sourced by tools/setup and tools/test: how this machine runs 32-bit x86
# programs, which decides the test lanes.
#
#   scrivlet_x86_32_kind
#       prints one word: "native" (the kernel runs them), "emulated" (an
#       i386 binfmt_misc entry hands them to qemu, whatever the kernel could
#       do: such entries are tried before the kernel's own loaders) or
#       "none" (they fail with "Exec format error").
#   scrivlet_register_i386_emulation
#       registers qemu-i386-static for i386 programs; says why when it
#       cannot, and fails.
#   scrivlet_i386_entry
#       the binfmt_misc entry that hands i386 programs to qemu, if any.

binfmt=/proc/sys/fs/binfmt_misc

scrivlet_i386_entry() {
    local entry
    for entry in "$binfmt"/*; do
        [ -f "$entry" ] && [ "${entry##*/}" != register ] && [ "${entry##*/}" != status ] ||
            continue
        # The magic of an i386 ELF (class 32, machine 3) with qemu behind it.
        if grep -qs '^interpreter .*qemu-i386' "$entry" && grep -qx enabled "$entry"; then
            echo "$entry"
            return 0
        fi
    done
    return 1
}

# The smallest i386 program: exit(0) through int 0x80. Running one is the only
# sure test; the kernel's version or configuration does not tell.
scrivlet_i386_probe() {
    local probe status=0
    probe=$(mktemp "${TMPDIR:-/tmp}/scrivlet-i386.XXXXXX")
    {
        # ELF header: 32-bit, little-endian, an executable for machine 3 (i386)
        # entered at 0x08048054; then one loadable segment of the 93 bytes.
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        printf '\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
        printf '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00'
        printf '\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'
        # mov eax, 1; xor ebx, ebx; int 0x80
        printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
    } >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return $status
}

scrivlet_x86_32_kind() {
    if scrivlet_i386_entry >/dev/null; then
        echo emulated
    elif scrivlet_i386_probe; then
        echo native
    else
        echo none
    fi
}

# The entry Debian's qemu-user-static would make for i386 if it made one on
# amd64 (it does not: the kernel normally runs i386 itself). F: the
# interpreter is opened now, so that it works in every mount namespace.
scrivlet_register_i386_emulation() {
    local qemu=/usr/bin/qemu-i386-static
    if [ ! -x "$qemu" ]; then
        echo "setup: cannot register i386 emulation: $qemu is missing (package qemu-user-static)" >&2
        return 1
    fi
    if [ ! -e "$binfmt/register" ]; then
        local why
        if ! why=$(mount -t binfmt_misc binfmt_misc "$binfmt" 2>&1); then
            echo "setup: cannot register i386 emulation: mounting binfmt_misc on $binfmt failed: $why" >&2
            return 1
        fi
    fi
    if [ -e "$binfmt/qemu-i386" ]; then
        # There but disabled, or with another interpreter: replace it.
        echo -1 >"$binfmt/qemu-i386" 2>/dev/null || true
    fi
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    if ! (echo ":qemu-i386:M::$magic:$mask:$qemu:F" >"$binfmt/register") 2>/dev/null; then
        echo "setup: cannot register i386 emulation: writing $binfmt/register was refused" \
             "(not root, or binfmt_misc is read-only here)" >&2
        return 1
    fi
    if ! scrivlet_i386_probe; then
        echo "setup: i386 emulation is registered, but an i386 program still does not run" >&2
        return 1
    fi
}
