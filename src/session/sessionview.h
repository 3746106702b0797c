#ifndef SESSIONVIEW_H
#define SESSIONVIEW_H

#include <QtGlobal>

enum class CalibrationKind;

// What the session asks of whoever shows it, at the moment a request is
// served: the values the user has entered. The window answers from its
// controls; a test answers with the values it means to send.
class SessionView
{
public:
    virtual ~SessionView() = default;

    // The span gas concentration, as shown (in the controls' decimal count).
    virtual double spanConcentration() const = 0;
    // The milliamperes entered for a current-output calibration point.
    virtual double currentPointValue(CalibrationKind point) const = 0;
    // The milliamperes entered for "Тест".
    virtual double testCurrent() const = 0;
    // Encodes the settings the controls show into `block`, in the controls'
    // own scale (DetectorSession::controlsScale), and the active gas name;
    // words without a control stay as they are.
    virtual void encodeControls(quint16 *block) = 0;
};

#endif // SESSIONVIEW_H
