// The sound plugin's entry point (see soundoutput.h).
#include "soundplayer.h"

extern "C" Q_DECL_EXPORT corvane::SoundOutput* corvaneMakeSoundOutput(const QString& path, corvane::SoundLog log)
{
    return new corvane::SoundPlayer(path, log);
}
