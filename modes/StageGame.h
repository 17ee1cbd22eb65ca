// The Difficult stages: ten positions in order, stage 8 drawn again by a STOP roulette.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Roulette.h"

namespace hop::modes {

class StageGame : public PlayMode {
public:
    StageGame(ScreenPort& port, RandomSource random, Pace clock = Pace::Normal);

    void load() override;
    void spinTick() override;
    void stop() override;      // STOP

    int stage() const { return stage_.get(); }
    int stageNumber() const override { return stage(); }
    bool retestPending() const { return shown(Overlay::RetestMarker); }

protected:
    void beginAfterStart() override;
    void clearCheck(int count) override;
    void giveupReset() override;

private:
    void stageSetup();
    void emptyBoard();
    bool shown(Overlay o) const { return overlays_[static_cast<int>(o)]; }
    void setOverlay(Overlay overlay, bool shown);
    void rouletteStart();

    RandomSource random_;
    board::Cell stage_;
    board::Cell playFlag_;
    board::Cell digit_;
    bool overlays_[2] = {false, false};
};

} // namespace hop::modes
