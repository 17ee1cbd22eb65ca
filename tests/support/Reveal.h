// The reveal of a play screen, tick by tick as its timer would deliver it.
#pragma once

#include "shell/PlayScreen.h"

#include <QTimer>

namespace hop::test {

inline void finishReveal(shell::PlayScreen* screen)
{
    while (screen->timer(modes::TimerId::Reveal)->isActive())
        screen->game().revealTick();
}

} // namespace hop::test
