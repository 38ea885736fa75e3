#pragma once
// Recovery at the next start: each journal in the plug-in's folder that no session of this
// process wrote belongs to a run the simulator never ended. Each set that has rows becomes
// "Plotwright<set>-recovered.csv" ("-recovered-2.csv", "-3", ... when that name exists: a
// recovered file is never replaced), byte for byte what Export would have written for those
// rows; the journal is removed only once that file is complete, so a crash during recovery
// loses nothing (the next start recovers the same rows again, never half a file). Streamed: a
// ten-hour journal is never held in memory whole.

#include <atomic>

// Any thread: recovers the journals in folder (ending with its separator). cancel (when given)
// is checked between chunks: a recovery given up removes its partial file and keeps the
// journal. Each outcome is one finished log line handed to keep.
void recoverJournals(const char *folder, const std::atomic<bool> *cancel,
                     void (*keep)(const char *line, void *context), void *context);
