#include "scenario/Simulation.h"

#include "base/Numbers.h"
#include "platform/FieldText.h"

namespace orb {

TickInputs TickReader::read(const std::string& exponent, const std::string& starInterval,
                            const std::string& planetoidFactor)
{
    TickInputs in;
    in.gravityExponent = val(exponent);
    if (auto v = strictInt16(starInterval)) starInterval_ = *v;
    if (auto v = strictNumber(planetoidFactor)) planetoidFactor_ = *v;
    in.starInterval = starInterval_;
    in.planetoidFactor = planetoidFactor_;
    return in;
}

Simulation::Simulation(Stage& stage, Settings& settings, Presets& presets, const KernelSet& kernels)
    : stage_(stage), settings_(settings), presets_(presets), ticker_(kernels)
{
    connect(&stage_.timers.Ti(), &Timer::timeout, this, &Simulation::Ti_Timer);
}

void Simulation::Ti_Timer()
{
    TickInputs in = reader_.read(str(settings_.text(Setting::Exponent)), str(presets_.starIntervalText()),
                                 str(settings_.text(Setting::Planetoid)));
    in.borderOption = settings_.borderRule();
    in.width = kFieldWidth;
    in.height = kFieldHeight;
    in.spin = settings_.spin();
    ticker_.tick(stage_.world, in, stage_.canvas, stage_.rng, [this] { starMaker(); });
    ++ticks_;
}

void Simulation::starMaker()
{
    const StarResult r = StarMaker(stage_.world, stage_.rng, presets_.starTexts());
    if (r.outcome == StarResult::Advanced) presets_.showStar(r.shown);
}

}  // namespace orb
