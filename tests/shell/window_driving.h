#pragma once
// Driving a real window as a user does: the modal windows it brings up
// answered in turn, and its frames run as the timer would run them.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <string>

#include "shell/main_window.h"

namespace vellacor::testing {

// Answers the modal windows that come up, in turn, and keeps their texts.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget&)>;
    explicit ModalAnswers(std::deque<Answer> answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(5);
    }
    QStringList seen;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_) return;
        if (qobject_cast<QProgressDialog*>(modal)) return;  // shows a wait, asks nothing
        last_ = modal;
        const auto* box = qobject_cast<QMessageBox*>(modal);
        seen << (box ? box->text() : modal->windowTitle());
        if (answers_.empty()) {  // one not expected: closed, so the test fails rather than waits
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            return;
        }
        const Answer answer = answers_.front();
        answers_.pop_front();
        answer(*modal);
    }
    std::deque<Answer> answers_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

inline ModalAnswers::Answer pressBox(QMessageBox::StandardButton button) {
    return [button](QWidget& w) {
        if (auto* box = qobject_cast<QMessageBox*>(&w)) box->button(button)->click();
    };
}

inline ModalAnswers::Answer chooseFile(const std::string& path) {
    return [path](QWidget& w) {
        auto* chooser = qobject_cast<QFileDialog*>(&w);
        chooser->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(chooser)->accept();  // as the Save button does
    };
}

inline QLineEdit* fieldLabelled(QWidget& dialog, const QString& label) {
    for (QLabel* l : dialog.findChildren<QLabel*>())
        if (l->text() == label) return qobject_cast<QLineEdit*>(l->buddy());
    return nullptr;
}

inline QPushButton* okButton(QWidget& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}
inline void pressOk(QWidget& dialog) { okButton(dialog)->click(); }

// Frames, as the timer runs them, until `done` or a minute has passed.
inline void runFramesUntil(MainWindow& window, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        window.runFrame();
        QApplication::processEvents();
    }
}

inline const QString kSample = QStringLiteral(VELLACOR_SAMPLES "/sample-site.txt");

}  // namespace vellacor::testing
