// Test answers for the file dialog and the message box.
#pragma once

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "window/toolkit.h"

namespace hexpane::test {

// Answers each ShowOpen/ShowSave with the next queued path, or cancels when
// the queued answer is empty or nothing is queued. Records what it was asked.
class ScriptedDialog final : public CommonDialog {
public:
    struct Call {
        bool save;
        QString defaultExt, filter, fileName;
        bool folder = false;
    };
    std::deque<std::optional<QString>> answers;
    std::vector<Call> calls;

    bool ShowOpen() override { return answer(false); }
    bool ShowSave() override { return answer(true); }
    bool ShowFolder() override { return answer(false, true); }

private:
    bool answer(bool save, bool folder = false) {
        calls.push_back({save, DefaultExt, Filter, FileName, folder});
        if (answers.empty()) return false;
        const std::optional<QString> next = std::move(answers.front());
        answers.pop_front();
        if (!next) return false;
        FileName = *next;
        return true;
    }
};

// Records every message; answers each question with the next queued answer
// (by its text), or with the last answer offered when none is queued.
class RecordedMessages final : public MessageBox {
public:
    std::vector<std::pair<QMessageBox::Icon, QString>> shown;
    std::deque<QString> answers;
    struct Question {
        QString text;
        QStringList answers;
    };
    std::vector<Question> asked;

    void show(QMessageBox::Icon icon, const QString& text) override { shown.emplace_back(icon, text); }
    int ask(QMessageBox::Icon, const QString& text, const QStringList& offered) override {
        asked.push_back({text, offered});
        qsizetype answer = offered.size() - 1;
        if (!answers.empty()) {
            answer = offered.indexOf(answers.front());
            answers.pop_front();
        }
        return int(answer);
    }
};

}  // namespace hexpane::test
