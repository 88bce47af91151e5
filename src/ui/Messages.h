#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

// A modal message box with one OK button.
void ShowMessage(QWidget* parent, const QString& text, const QString& caption);
// A user refusal: the text in a modal box captioned "提示!".
void ShowRefusal(QWidget* parent, const QString& text);
// The application's standard error box: the error's message, the application title as caption.
void ShowError(QWidget* parent, const std::exception& error);

// Runs an event handler's work; an exception it throws ends up in the standard error box and
// never reaches the event loop.
void Guarded(QWidget* parent, const std::function<void()>& work);

// A question with 是 and 否 buttons; answers whether the user chose 是.
bool AskYesNo(QWidget* parent, const QString& text);

// Receives every box instead of the screen while set (tests); returns the hook it replaces.
// An empty hook restores the real boxes.
using TMessageHook = std::function<void(const QString& caption, const QString& text)>;
TMessageHook SetMessageHook(TMessageHook hook);
// Answers every question instead of the user while set (tests).
using TQuestionHook = std::function<bool(const QString& text)>;
TQuestionHook SetQuestionHook(TQuestionHook hook);
