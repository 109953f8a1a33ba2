// Framework core: the program-start reset of every service's process-wide state.
#pragma once

// The order in which the services are put back: a service released later may still be reached
// from one released earlier (the display releases its surfaces before the text's device context
// is forgotten, the sound device before the sequencer). The installed program's own state comes
// last, once everything it may read is back at its start.
enum class ResetStage { Platform, Shell, System, Display, Input, Text, Objects, Effects, Sound, Music, Program };

// A service's state registers its reset right where the state is defined, so that no service
// can be left out:
//     ObjectTable Objects;
//     const ProgramStateRegistration kObjectsReset{ResetStage::Objects, [] { Objects.reset(); }};
// ResetProgramState calls every registered reset, stage by stage (in the order of registration
// within a stage).
class ProgramStateRegistration {
public:
    ProgramStateRegistration(ResetStage stage, void (*reset)());
};

// Every service's state back to the program's start, then the installed program's own state
// (tests start each case from here).
void ResetProgramState();
