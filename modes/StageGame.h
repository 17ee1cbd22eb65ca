// The Difficult stages: ten positions in order, stage 8 drawn again by a STOP roulette.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Stages.h"

namespace hop {

class StageGame : public PlayMode {
public:
    StageGame(ScreenPort& port, RandomSource random);

    void spinTick() override;  // Timer3
    void stop() override;      // Command3 "STOP"

    int stage() const { return stage_.get(); }        // Label7
    bool playing() const { return playFlag_.get() == 0; }  // Label8 reads "0"
    bool retestPending() const { return marker_; }     // Label9 shown
    bool rouletteShown() const { return panel_; }      // Picture1 shown
    int digit() const { return digit_.get(); }         // Label12

protected:
    void beginAfterStart() override;
    void clearCheck(int count) override;
    void giveupReset() override;

private:
    void stageSetup();
    void emptyBoard();
    // The common tail of a stage clear and the re-test clear: the next stage waits behind START.
    void prepareNextStage();
    void setMarker(bool shown);
    void setPanel(bool shown);
    void rouletteStart();

    RandomSource random_;
    Cell stage_;
    Cell playFlag_;
    Cell digit_;
    bool marker_ = false;
    bool panel_ = false;
};

} // namespace hop
