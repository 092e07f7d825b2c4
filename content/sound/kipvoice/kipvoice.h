#pragma once
// The speech facade: fifteen plain exported functions over the speech engine
// (espeak-ng), with UTF-16 (char16_t) strings. One process-wide state: the speaking
// voice (its voice, rate and volume, played through the default audio output) and
// the rendering voice that kipvoice_towavstream uses, which never disturbs the
// speaking one. Voices are listed in a fixed order: Mandarin, Cantonese and English
// first, then every other voice by its identifier, so stored voice indexes keep
// their meaning from run to run.
//
// Speech markup in a text (<silence msec="500"/>, <rate absspeed="5">, <volume level="50">,
// <pitch middle="3">, <emph>, <spell> and the structural elements) is obeyed, never read out;
// an element the engine cannot render is dropped. A "<" or "&" that is not markup is text.
#include <stdint.h>
#include <uchar.h>

#if defined(__GNUC__)
#define KIPVOICE_API __attribute__((visibility("default")))
#else
#define KIPVOICE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Speak flags (the values callers store): return at once instead of waiting until the
// text is spoken; drop whatever is queued or playing first.
#define KIPVOICE_SPEAK_ASYNC 1
#define KIPVOICE_SPEAK_PURGE 2

// Starts the speaking voice; 1 at once when it already exists, 0 when the engine
// cannot start.
KIPVOICE_API int kipvoice_initial(void);
// Stops speaking and forgets the speaking voice; harmless when not started.
KIPVOICE_API void kipvoice_free(void);
// The number of voices (0 when not started).
KIPVOICE_API int kipvoice_getvoicecount(void);
// Copies the name of voice `index` (its identifier after the last slash or backslash)
// into `buffer` of `size` characters, always terminated; 1, or 0 for a bad index or
// buffer.
KIPVOICE_API int kipvoice_getvoicename(char16_t* buffer, int size, int index);
// Makes voice `index` the speaking voice's voice; 0 for an index outside the list.
KIPVOICE_API int kipvoice_selvoice(int index);
// Queues `text` on the speaking voice (see the flags); 0 when not started.
KIPVOICE_API int kipvoice_speak(const char16_t* text, unsigned flags);
// Stops speaking and drops the queue.
KIPVOICE_API int kipvoice_stop(void);
KIPVOICE_API int kipvoice_pause(void);
KIPVOICE_API int kipvoice_resume(void);
// The speaking voice's rate, -10..10 (0 when not started).
KIPVOICE_API int kipvoice_getrate(void);
KIPVOICE_API int kipvoice_setrate(int rate);
// Volume 0..100.
KIPVOICE_API int kipvoice_setvolume(int volume);
// Waits at most `milliseconds` for the speaking voice to finish: 1 when it finished
// (or was never started), 0 when the time ran out.
KIPVOICE_API int kipvoice_waituntildone(unsigned milliseconds);
// Renders at most the first 1024 characters of `text` with voice `voice` (an index at
// or past the end means the last voice) at `rate` into WAV bytes (22,050 Hz, mono,
// 16-bit) in memory. Returns the byte count and stores the new buffer through `out`,
// or 0 (no text, a negative voice, an engine failure) and stores nothing.
KIPVOICE_API int kipvoice_towavstream(const char16_t* text, int voice, int rate, uint8_t** out);
// Frees a buffer from kipvoice_towavstream; nothing for none.
KIPVOICE_API void kipvoice_delete(uint8_t* buffer);

#ifdef __cplusplus
}
#endif
