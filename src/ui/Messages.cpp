#include "ui/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <stdexcept>
#include <utility>

namespace {

TMessageHook& Hook() {
    static TMessageHook hook;
    return hook;
}

TQuestionHook& Question() {
    static TQuestionHook hook;
    return hook;
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& caption) {
    if (Hook()) {
        Hook()(caption, text);
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString ApplicationTitle() {
    QString title = QApplication::applicationDisplayName();
    return title.isEmpty() ? QStringLiteral("KAVRO") : title;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text, const QString& caption) {
    ShowBox(parent, QMessageBox::NoIcon, text, caption);
}

void ShowRefusal(QWidget* parent, const QString& text) {
    ShowBox(parent, QMessageBox::NoIcon, text, QStringLiteral("提示!"));
}

void ShowError(QWidget* parent, const std::exception& error) {
    ShowBox(parent, QMessageBox::Critical, QString::fromUtf8(error.what()), ApplicationTitle());
}

void Guarded(QWidget* parent, const std::function<void()>& work) {
    // A box that fails to show must not escape either: the caller is an event handler.
    try {
        try {
            work();
        } catch (const std::exception& error) {
            ShowError(parent, error);
        } catch (...) {
            ShowError(parent, std::runtime_error("发生了未知的错误。"));
        }
    } catch (...) {
    }
}

bool AskYesNo(QWidget* parent, const QString& text) {
    if (Question()) {
        return Question()(text);
    }
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("Kavro"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QStringLiteral("否"), QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}

TQuestionHook SetQuestionHook(TQuestionHook hook) {
    return std::exchange(Question(), std::move(hook));
}

TMessageHook SetMessageHook(TMessageHook hook) {
    return std::exchange(Hook(), std::move(hook));
}
