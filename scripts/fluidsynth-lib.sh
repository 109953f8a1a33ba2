# Sourced by the scripts that build FluidSynth from source for a build whose music must render to
# the same samples as the desktop's (scripts/build-arm64, scripts/web-deps; scripts/windows-deps
# shares the list of parts turned off). The source is Debian 12's: the upstream tarball of its
# package fluidsynth 2.3.1-2, checked against the SHA-256 that the package's .dsc lists, from
# QRB_WINDOWS_SOURCES (by default ../shared/windows-sources beside the checkout), where the
# Windows build takes it from too.
#
#   fluidsynth_source DEST    unpacks the checked source into DEST/fluidsynth-2.3.1 (once) and
#                             sets fluidsynth_dir to it; returns 1 with fluidsynth_why set when
#                             the tarball or its .dsc is not there, or they disagree
#   fluidsynth_off            the configure options that turn every audio and MIDI driver and
#                             optional part off: the synthesiser alone, rendering into buffers
#
# The arm64 and WebAssembly builds of it are compiled with -ffp-contract=off: GCC fuses a*b+c into
# one instruction wherever the processor has one (arm64 always), which moves the music's samples
# in their last bits (Debian's arm64 library holds 215 such instructions). On x86-64 (Debian's
# own library, the Windows build) there is none to fuse into unless a build asks for one.

fluidsynth_version=2.3.1
fluidsynth_dsc=fluidsynth_2.3.1-2.dsc
fluidsynth_orig=fluidsynth_2.3.1.orig.tar.gz

fluidsynth_off=()
for _o in alsa aufile coreaudio coremidi dbus dsound jack ladspa lash libinstpatch libsndfile \
          midishare network oboe openmp opensles oss pipewire portaudio pulseaudio readline \
          sdl2 systemd wasapi waveout winmidi ipv6; do
    fluidsynth_off+=("-Denable-$_o=OFF")
done
unset _o

fluidsynth_source() {
    local dest=$1 root sources why
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    sources=${QRB_WINDOWS_SOURCES:-}
    if [ -z "$sources" ] && [ -d "$root/../shared/windows-sources" ]; then
        sources=$(cd "$root/../shared/windows-sources" && pwd)
    fi
    fluidsynth_dir=$dest/fluidsynth-$fluidsynth_version
    [ ! -f "$fluidsynth_dir/.complete" ] && [ -d "$fluidsynth_dir" ] && rm -rf "$fluidsynth_dir"
    [ -f "$fluidsynth_dir/.complete" ] && return 0
    if [ -z "$sources" ] || [ ! -f "$sources/$fluidsynth_orig" ] || [ ! -f "$sources/$fluidsynth_dsc" ]; then
        fluidsynth_why="no $fluidsynth_orig and $fluidsynth_dsc in ${sources:-QRB_WINDOWS_SOURCES (unset)}"
        return 1
    fi
    # The Windows build's own check of a tarball against its .dsc.
    if ! why=$("$root/scripts/windows-deps" --verify "$sources/$fluidsynth_dsc" "$sources/$fluidsynth_orig" 2>&1); then
        fluidsynth_why=$(echo $why)
        return 1
    fi
    mkdir -p "$dest"
    rm -rf "$fluidsynth_dir.part"
    mkdir "$fluidsynth_dir.part"
    tar -xzf "$sources/$fluidsynth_orig" -C "$fluidsynth_dir.part" --strip-components=1 || {
        fluidsynth_why="$fluidsynth_orig does not unpack"
        return 1
    }
    touch "$fluidsynth_dir.part/.complete"
    mv "$fluidsynth_dir.part" "$fluidsynth_dir"
}
