// Quorbix: elSystem, the system services. Wait timers and the frame clock (SetWait, CheckWait,
// Delay, Clock.FrameDelta), the random generator, message boxes and system queries, the cursor,
// input hold and shutdown; the keyboard poll (GetKey, IsKeyDown) with the key names (elKey::A,
// elKey::Space...); Japanese texts in the program's code page (CodePageText); the language shown
// and a program's texts in each language (quorbix::AddTextTable, quorbix::Text); the clocks a
// game reads (quorbix::TickCount, quorbix::CalendarTime); saved data (quorbix::SaveData,
// quorbix::LoadData) and a 32-bit generator of a program's own (quorbix::Random32); the text the
// player typed (quorbix::TypedText) and the encoding of a program's texts (quorbix::TextEncoding).
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/input/button_state.h"
#include "framework/input/keys.h"
#include "framework/input/typed_text.h"
#include "framework/system/machine.h"
#include "framework/system/random.h"
#include "framework/system/random32.h"
#include "framework/system/saved_data.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
