// Platform: MCI-style command strings for the MIDI sequencer, and its end-of-play notification.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sound/mci_notify.h"
#include "platform/window/window.h"

namespace platform {

// ---------------------------------------------------------------- result and notification codes

using MciError = std::uint32_t;
constexpr MciError MCIERR_UNRECOGNIZED_KEYWORD = 259;
constexpr MciError MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr MciError MCIERR_HARDWARE = 262;
constexpr MciError MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MciError MCIERR_OUT_OF_MEMORY = 264;
constexpr MciError MCIERR_DEVICE_OPEN = 265;
constexpr MciError MCIERR_MISSING_COMMAND_STRING = 267;
constexpr MciError MCIERR_PARAM_OVERFLOW = 268;
constexpr MciError MCIERR_MISSING_PARAMETER = 273;
constexpr MciError MCIERR_UNSUPPORTED_FUNCTION = 274;
constexpr MciError MCIERR_FILE_NOT_FOUND = 275;
constexpr MciError MCIERR_DUPLICATE_ALIAS = 289;
constexpr MciError MCIERR_MISSING_DEVICE_NAME = 292;
constexpr MciError MCIERR_NO_CLOSING_QUOTE = 294;
constexpr MciError MCIERR_INVALID_FILE = 296;

// The notification's codes (MCI_NOTIFY_SUCCESSFUL, ...) are in mci_notify.h.

// The longest command text read; anything longer is refused whole.
constexpr std::size_t kMaxMciCommand = 4096;

// ---------------------------------------------------------------- commands

// A command string taken apart.
struct MciCommand {
    enum class Verb { Open, Seek, Play, Stop, Close, Status };
    enum class SeekTo { None, Start, End };
    Verb verb = Verb::Open;
    std::string device;   // open: the file; otherwise the alias, or "all" for close
    std::string type;     // open: the device type
    std::string alias;    // open: the alias
    std::string item;     // status: what is asked for
    SeekTo seekTo = SeekTo::None;
    bool notify = false;
};

// Understands:
//   open PATH [type sequencer] [alias NAME] [notify]  PATH runs from after "open " to the last
//                                                     " type " (so it may hold spaces), or to
//                                                     the first blank; or is in double quotes
//   seek NAME to start|end [notify]
//   play NAME [notify]
//   stop NAME [notify]
//   close NAME|all [notify]
//   status NAME mode                                  answers "playing" or "stopped"
// Words are matched without regard to case. Returns 0 or the error code of the first fault.
MciError parseMciCommand(const char* text, MciCommand& out);

// Called by elSound's MIDI player. Carries out one command; `answer` (of `answerSize` bytes, may
// be null) receives the text of a status command. With "notify", MM_MCINOTIFY is posted to
// `callback`: MCI_NOTIFY_SUCCESSFUL when a play reaches its end (posted from the audio thread)
// or another command completes, MCI_NOTIFY_SUPERSEDED when a new play replaces a play that
// asked for one, MCI_NOTIFY_ABORTED when a seek, stop or close ends it, MCI_NOTIFY_FAILURE when
// the synthesiser cannot play the piece (said once on standard error; the piece is not tried
// again until it is opened again). A play ends exactly its length after it started; a play that
// follows the natural end of the last one after only a seek to the start is timed from that
// end, so that a piece restarted on its end notice repeats with a period of its length (the
// moments between the end and the restart are skipped at the start of the new pass).
MciError mciSendString(const char* command, char* answer, std::uint32_t answerSize, WindowId callback);

// Called by elSound::SetMidiVolume: the music's level (0 silent to 1 as rendered, linear in
// amplitude) moves from the level heard now to `level` over the next `fadeFrames` frames the
// output plays while a piece is open (whether the piece gives sound in them or not), frame k of them (from 0) at from + (to - from) * (k + 1) / fadeFrames;
// 0 frames sets it at once. The level holds from one piece to the next. Safe from any thread but
// the audio thread; a new call replaces a fade under way, starting from where it had come to.
void setMusicVolume(float level, std::uint32_t fadeFrames);
// The level the music was last heard at (the end of the last frame played).
float musicVolumeHeard();

// Closes every device (tests start from here).
void resetMci();
// Called by audio::shutdown once the output is closed: stops the thread that renders the music.
void stopSequencerThread();

// Tests and the fuzz target: the sequencer's state as the audio thread sees it.
struct MciProbe {
    bool open = false;
    int id = 0;
    bool playing = false;
    bool failed = false;              // the synthesiser's player could not play the piece
    bool hasPlayer = false;
    std::int64_t lengthFrames = 0;    // the piece's length at the output rate
    std::int64_t playedFrames = 0;    // how far the current pass has come
    int livePlayers = 0;              // players made and not yet deleted, over all devices
};
MciProbe probeMci();
// Tests: every command string received from now on is appended to `log` (nullptr: none).
void logMciCommands(std::vector<std::string>* log);

}  // namespace platform
