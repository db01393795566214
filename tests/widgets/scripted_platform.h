#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

#include "ui/widgets/platform.h"

// Counts beeps instead of sounding them, runs a clock the test sets, answers file dialogs and
// questions from scripts and records every message box instead of showing it.
class ScriptedPlatform : public pulsefir::ui::widgets::Platform {
  public:
    struct Message {
        QString kind; // "error", "information", "question", "choice"
        QString title;
        QString text;
    };

    int beeps = 0;
    qint64 now = 100000;                              // ms
    std::deque<std::optional<QString>> dialogAnswers; // nullopt: the user cancels
    // Of the dialogs that take several files; none left: the next dialogAnswers one alone.
    std::deque<std::optional<QStringList>> filesAnswers;
    std::vector<pulsefir::ui::widgets::FileDialogRequest> dialogRequests;
    std::vector<QImage> previews;     // the pictures the picture dialogs showed
    std::deque<bool> questionAnswers; // Yes is true
    std::deque<Answer> choiceAnswers; // of the Yes/No/Cancel questions; none left: No
    std::deque<int> pickAnswers;      // of askChoice; none left: the last choice
    std::vector<Message> messages;

    void beep() override { ++beeps; }
    qint64 tickCount() override { return now; }
    std::optional<QString> runFileDialog(QWidget *, const pulsefir::ui::widgets::FileDialogRequest &request) override {
        dialogRequests.push_back(request);
        if (dialogAnswers.empty())
            return std::nullopt;
        std::optional<QString> answer;
        answer.swap(dialogAnswers.front());
        dialogAnswers.pop_front();
        return answer;
    }
    std::optional<QStringList> runFilesDialog(QWidget *parent,
                                              const pulsefir::ui::widgets::FileDialogRequest &request) override {
        if (filesAnswers.empty())
            return Platform::runFilesDialog(parent, request);
        dialogRequests.push_back(request);
        std::optional<QStringList> answer;
        answer.swap(filesAnswers.front());
        filesAnswers.pop_front();
        return answer;
    }
    std::optional<QString> runPictureDialog(QWidget *parent, const pulsefir::ui::widgets::FileDialogRequest &request,
                                            const QImage &preview) override {
        previews.push_back(preview);
        return runFileDialog(parent, request);
    }
    void showError(QWidget *, const QString &text) override { messages.push_back({"error", QString(), text}); }
    void showInformation(QWidget *, const QString &title, const QString &text) override {
        messages.push_back({"information", title, text});
    }
    bool askYesNo(QWidget *, const QString &title, const QString &text) override {
        messages.push_back({"question", title, text});
        if (questionAnswers.empty())
            return false;
        const bool answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    int askChoice(QWidget *, const QString &title, const QString &text, const QStringList &choices) override {
        messages.push_back({"pick", title, text + " [" + choices.join('|') + "]"});
        if (pickAnswers.empty())
            return static_cast<int>(choices.size()) - 1;
        const int answer = pickAnswers.front();
        pickAnswers.pop_front();
        return answer;
    }
    Answer askYesNoCancel(QWidget *, const QString &title, const QString &text) override {
        messages.push_back({"choice", title, text});
        if (choiceAnswers.empty())
            return Answer::No;
        const Answer answer = choiceAnswers.front();
        choiceAnswers.pop_front();
        return answer;
    }
};

// Installs a scripted platform for the lifetime of the object.
class PlatformScope {
  public:
    PlatformScope() { pulsefir::ui::widgets::Platform::install(&platform); }
    ~PlatformScope() { pulsefir::ui::widgets::Platform::install(nullptr); }
    PlatformScope(const PlatformScope &) = delete;
    PlatformScope &operator=(const PlatformScope &) = delete;
    ScriptedPlatform platform;
};
