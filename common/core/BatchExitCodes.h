#pragma once

// Exit statuses of the three batch programs: scripts on the production lines read the
// verdict from them, so every program keeps the same meaning.

inline constexpr int kExitPass = 0;      ///< every log judged and passed
inline constexpr int kExitFail = 1;      ///< a verdict, and it is a fail
inline constexpr int kExitNoVerdict = 2; ///< nothing judged: no logs, unreadable settings, ...
inline constexpr int kExitUsage = 64;    ///< bad arguments, or a named file that cannot be used
