// The main window as the parts see it: small adapters that turn what a
// part reports or asks for into the window's doing. Each holds the window
// and forwards; the window owns one of each.
#pragma once

#include <cstdint>
#include <vector>

#include "documents/document_commands.h"
#include "playback/run_observer.h"
#include "settings/settings_dialog.h"
#include "trial/row_trial.h"

class MainWindow;

// What a run tells the window: the status line, the grid's row, the lock,
// the start button, the front, and the messages of a failed key input.
class RunView final : public RunObserver {
public:
    explicit RunView(MainWindow& window) : w_(window) {}
    void showStatus(StatusMode mode, const Str& text) override;
    void showRow(int32_t row) override;
    void repaint() override;
    void runLockChanged() override;
    void showRunning(bool running) override;
    void comeBack() override;
    void unsupportedKey(const Str& item) override;
    void keystrokesFailed(int number, const Str& description) override;

private:
    MainWindow& w_;
};

// What a document read and the File commands do to the window: the grid
// follows the steps, the interval boxes and the hot keys the settings.
class DocumentView final : public DocumentsView {
public:
    explicit DocumentView(MainWindow& window) : w_(window) {}
    void stepsCleared() override;
    void settingRead(DocumentSetting setting) override;
    void stepsRead() override;
    void keepOnTop(bool on) override;

private:
    MainWindow& w_;
};

// What a tried row asks of the window.
class TrialView final : public TrialHost {
public:
    explicit TrialView(MainWindow& window) : w_(window) {}
    bool recording() const override;
    void openSettings() override;
    void commandsChanged() override;

private:
    MainWindow& w_;
};

// What the settings dialog's OK asks of the window.
class SettingsView final : public SettingsHost {
public:
    explicit SettingsView(MainWindow& window) : w_(window) {}
    std::vector<int16_t> hotKeyCodes(const Str& keyList) override;
    void keepOnTop(bool on) override;

private:
    MainWindow& w_;
};
