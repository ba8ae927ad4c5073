#pragma once
// The physics fields and the border rules of the panel, with their own
// handlers: each keeps its value within the range the run loops need and writes
// the corrected number back into the field.

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <array>

#include "platform/Controls.h"
#include "platform/Stage.h"

namespace orb {

// The settings fields by name.
enum class Setting { SolGravity, PlanetGravity, Exponent, Jupiter, Waterworld, Planetoid, Planets, Tag, Radius, Core, Volatility, StartMomentum, TickMs, PullRadius };

class Settings : public QObject {
    Q_OBJECT
public:
    static constexpr double kDefaultPullRadius = 3000;
    static constexpr double kMaxPullRadius = 100000;

    explicit Settings(Stage& stage);

    // The groups the window lays out: the physics fields, the border rules.
    QWidget* physicsGroup() const { return physics_; }
    QWidget* borderGroup() const { return border_; }

    QString text(Setting s) const;
    void setText(Setting s, const QString& text);
    // The selected border rule 0..6, -1 for none.
    int borderRule() const;
    bool spin() const { return CHgod_->isChecked(); }
    // "Same pull at r0": the pull law keeps the Newtonian strength at r0.
    bool keepPull() const;
    void setKeepPull(bool on);
    // r0 in twips, as its field was last left.
    double pullRadius() const { return pullRadius_; }
    // f in g = 10000 f m / r^e for exponent e: 1 unless "Same pull at r0".
    double pullFactor(double exponent) const;
    // A run has started: the three factor fields stay disabled from now on.
    void lockFactors();

    // The "Core" and "Radius" labels copy one field's text into the other.
    void copyRadiusToCore() { setText(Setting::Core, text(Setting::Radius)); }
    void copyCoreToRadius() { setText(Setting::Radius, text(Setting::Core)); }

    void TXn_LostFocus();
    void TXn_DblClick();
    void TXg_LostFocus(int index);
    void Text1_LostFocus();
    void Text5_LostFocus();
    void Text4_LostFocus();
    void Text4_DblClick();
    void Text2_LostFocus();
    void Text7_LostFocus();
    void TXt_LostFocus();
    void TXr0_LostFocus();
    void Och_Click(int index);

signals:
    // The "Core" (2) or "Radius" (3) label was clicked.
    void labelClicked(int index);
    // A new tick interval was left in its field.
    void tickIntervalChanged(int ms);

private:
    Field* field(Setting s) const { return fields_[static_cast<int>(s)]; }

    Stage& stage_;
    QGroupBox* physics_;
    QGroupBox* border_;
    std::array<Field*, 14> fields_{};
    QCheckBox* CHgod_;
    QCheckBox* CHkeep_;
    double pullRadius_ = kDefaultPullRadius;
    std::array<QRadioButton*, 7> Och_{};
};

}  // namespace orb
