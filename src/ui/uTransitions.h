#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "settings/SaverSettings.h"
#include "settings/ShowExtras.h"

class QCheckBox;
class QPushButton;

// The dialog that chooses which transition effects the show may use; it will not confirm an
// empty choice, since the engine draws its effects among the ticked ones.
class TfrmTransitions : public QDialog {
    Q_OBJECT

public:
    explicit TfrmTransitions(QWidget* parent = nullptr);

    // Ticks box k + 1 for every non-zero flag k, shows the dialog modally and returns whether
    // the user confirmed. The flags themselves are left alone. Boxes 21 to 23 stay unticked.
    bool EditTransitions(const uint8_t (&flags)[TransitionCount]);
    // The same with boxes 21 to 23 from the further choices; boxes 1 to 20 are unticked when
    // those say that only effects 21 to 23 run.
    bool EditTransitions(const uint8_t (&flags)[TransitionCount], const TShowExtras& extras);
    // The boxes as flags: 1 ticked, 0 not.
    void WriteTransitions(uint8_t (&flags)[TransitionCount]) const;
    // The same, boxes 21 to 23 into the further choices.
    void WriteTransitions(uint8_t (&flags)[TransitionCount], TShowExtras& extras) const;
    // No box of the 23 is ticked.
    bool NoneSelected() const;

private:
    void FormCreate();
    void btnOKClick();
    // Tick or untick all 23 boxes at once.
    void btnSelectAllClick();
    void btnSelectNoneClick();

    // Boxes 1 to 23; entry k stands for effect k + 1.
    std::array<QCheckBox*, TransitionCount + MoreTransitionCount> FChecks{};
    QPushButton* btnOK;
    QPushButton* BitBtn2;
    QPushButton* btnSelectAll;
    QPushButton* btnSelectNone;
};
