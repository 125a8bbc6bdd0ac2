// frmColor: the colour window of Customize > Colours. Five options in picOption choose the
// colour to change, three sliders (SliderRed, SliderGreen, SliderBlue) with their boxes (txtRed,
// txtGreen, txtBlue) set it, picColor with lblFore ("Varnix") previews it; "Apply" shows the
// colours in every open window, "VB Defaults" and "Restore" bring back the default or the
// opening colours, "Save and Exit" stores them and closes. The rules are ColourEditor's
// (core/display/customisation.h).
#pragma once

#include "core/display/customisation.h"
#include "core/session/dialogs.h"
#include "core/session/library_loader.h"
#include "core/session/module1.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace varnix::app {

class frmColor : public QWidget {
    Q_OBJECT

public:
    // Form_Load: the opening colours remembered, the window background selected.
    frmColor(Module1& module, Dialogs& dialogs, LibraryLoader& loader, QWidget* parent = nullptr);

    QRadioButton* opt(ColourTarget target) const;
    QSlider* slider(ColourChannel channel) const;
    QLineEdit* txt(ColourChannel channel) const;
    QLabel* lblCaption() const { return m_lblCaption; }
    QFrame* picColor() const { return m_picColor; }
    QLabel* lblFore() const { return m_lblFore; }
    QPushButton* cmdApply() const { return m_cmdApply; }
    QPushButton* cmdDefaults() const { return m_cmdDefaults; }
    QPushButton* cmdRestore() const { return m_cmdRestore; }
    QPushButton* cmdClose() const { return m_cmdClose; }

signals:
    // Apply: the main window colours itself and every open window.
    void applyRequested();

protected:
    // Form_Unload.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    QWidget* createOptions();
    QWidget* createSliders();
    QWidget* createPreview(QWidget* parent);
    QWidget* createButtons();
    void showView();
    void opt_Click(ColourTarget target);
    void Slider_Change(ColourChannel channel, int value);
    void txt_Change(ColourChannel channel, const QString& text);
    void txt_LostFocus(ColourChannel channel);
    void cmdApply_Click();
    void cmdDefaults_Click();
    void cmdRestore_Click();
    void cmdClose_Click();

    Module1& m_module;
    Dialogs& m_dialogs;
    LibraryLoader& m_loader;
    ColourEditor m_editor;
    std::array<QRadioButton*, kColourTargetCount> m_options{};
    std::array<QSlider*, kChannelCount> m_sliders{};
    std::array<QLineEdit*, kChannelCount> m_boxes{};
    QLabel* m_lblCaption = nullptr;
    QFrame* m_picColor = nullptr;
    QLabel* m_lblFore = nullptr;
    QPushButton* m_cmdApply = nullptr;
    QPushButton* m_cmdDefaults = nullptr;
    QPushButton* m_cmdRestore = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

}  // namespace varnix::app
