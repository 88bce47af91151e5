#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "settings/SaverSettings.h"

class QCheckBox;
class QPushButton;

// The dialog that chooses which transition effects the show may use; it will not confirm an
// empty choice, since the engine draws its effects among the ticked ones.
class TfrmTransitions : public QDialog {
    Q_OBJECT

public:
    explicit TfrmTransitions(QWidget* parent = nullptr);

    // Ticks box k + 1 for every non-zero flag k, shows the dialog modally and returns whether
    // the user confirmed. The flags themselves are left alone.
    bool EditTransitions(const uint8_t (&flags)[TransitionCount]);
    // The boxes as flags: 1 ticked, 0 not.
    void WriteTransitions(uint8_t (&flags)[TransitionCount]) const;
    bool NoneSelected() const;

private:
    void FormCreate();
    void btnOKClick();

    std::array<QCheckBox*, TransitionCount> FChecks{};
    QPushButton* btnOK;
    QPushButton* BitBtn2;
};
