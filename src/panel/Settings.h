#pragma once
// The fields of the run's settings and the border rules: every field writes
// its text into the run's settings model on each edit, and leaving it runs the
// setting's rule and shows the corrected text. The physics fields are laid out
// here; the galaxy's and the clearing's fields are bound from their own pages.

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <array>

#include "platform/Controls.h"
#include "platform/Stage.h"
#include "world/RunSettings.h"

namespace orb {

class Settings : public QObject {
    Q_OBJECT
public:
    explicit Settings(Stage& stage);

    // The groups the window lays out: the physics fields, the border rules.
    QWidget* physicsGroup() const { return physics_; }
    QWidget* borderGroup() const { return border_; }

    // The run's settings, which every reader reads.
    const RunSettings& model() const { return stage_.settings; }
    QString text(Setting s) const { return QString::fromStdString(model().text(s)); }
    // Writes a text into the model and shows it in the setting's field.
    void setText(Setting s, const QString& text);
    // Makes `field` the one that edits setting s (the galaxy's and the
    // clearing's fields are laid out on their own pages).
    void bind(Setting s, Field* field);
    // Leaving a setting's field: its rule runs and the field shows the result.
    void leave(Setting s);
    // Shows every setting of the model, the check boxes and the border rule
    // as the model holds them (after it was put back from a saved run).
    void showAll();
    // The selected border rule 0..6, -1 for none.
    int borderRule() const { return model().borderRule; }
    bool spin() const { return model().spin; }
    // "Same pull at r0": the pull law keeps the Newtonian strength at r0.
    bool keepPull() const { return model().keepPull; }
    void setKeepPull(bool on);
    // A run has started: the three factor fields stay disabled from now on.
    void lockFactors();

    // The "Core" and "Radius" labels copy one field's text into the other.
    void copyRadiusToCore() { copy(Setting::Radius, Setting::Core); }
    void copyCoreToRadius() { copy(Setting::Core, Setting::Radius); }

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
    // A setting's field was left and its rule has run.
    void settingLeft(Setting s);
    // A setting's field was edited (typed into, or written by a script that
    // types; a double-click or a label's copy): the model holds its new text.
    void edited(Setting s);
    // A border rule was chosen, 0..6 (-1 for none).
    void borderRuleChosen(int rule);

private:
    Field* field(Setting s) const { return fields_[static_cast<int>(s)]; }
    // Shows the model's text in the setting's field when it differs.
    void show(Setting s);
    // One setting's text into another, as the user's edit of the second.
    void copy(Setting from, Setting to);

    Stage& stage_;
    QGroupBox* physics_;
    QGroupBox* border_;
    std::array<Field*, kSettings> fields_{};
    QCheckBox* CHgod_;
    QCheckBox* CHkeep_;
    std::array<QRadioButton*, 7> Och_{};
};

}  // namespace orb
