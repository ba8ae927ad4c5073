#pragma once
// The body editor shown while a run is paused: pick a body by number, read and
// change its position, momentum and gravity, switch it in or out of play, and
// see it marked on the field by a blinking circle. Every edit goes straight
// into the body table.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <array>

#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/Stage.h"

namespace orb {

class BodyEditor : public QObject {
    Q_OBJECT
public:
    BodyEditor(Stage& stage, Settings& settings);

    // The editor's controls, for the window to lay out.
    QWidget* widget() const { return box_; }

    // Pausing: shows the editor for a run of `count` planets and selects the
    // body named in the number field; resuming hides it again.
    void open(int count);
    void close();

    // Shows the body named in the number field: its type, values, mark and switch.
    void Asgard();
    // Brings body n's values into range and shows them in the five fields.
    void SetBody(int n);
    // Puts the blinking circle on body n's place on the field.
    void Ocean(int n);
    // Writes the five fields into the named body's row; refused unless all are numbers.
    void Bifrost();
    void Qui_Change();
    void La_Click(int index);
    void Opadd_Click(int index);
    void Hsp_Change(int index);
    void TXTp_LostFocus(int index);
    void TiF_Timer();
    void Chon_Click();

signals:
    // The editor has written body n's row of the table (an edit, a switch in
    // or out, or its values brought into range as it is shown).
    void tableEdited(int n);

private:
    void setFieldsShown(bool shown);

    Stage& stage_;
    Settings& settings_;
    QWidget* box_;
    Field *TXTOden_, *TxTyp_;
    std::array<Field*, 5> TXTp_{};
    std::array<QLabel*, 5> Label6_{};
    std::array<QScrollBar*, 4> Hsp_{};
    QScrollBar* Qui_;
    std::array<QRadioButton*, 2> Opadd_{};
    QGroupBox* Frame2_;
    QCheckBox* Chon_;
    ClickLabel* La0_;
    QLabel* La16_;
    Marker* Shark_;
    QLabel* hint_;
};

}  // namespace orb
