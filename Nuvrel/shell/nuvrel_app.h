// The application object: one per process. Start-up either hands over to a copy that is already
// running or shows the main sheet until the user ends it.
#pragma once

#include <QApplication>

namespace nuvrel {

class CNuvrelSheet;

class CNuvrelApp : public QApplication {
    Q_OBJECT

  public:
    CNuvrelApp(int& argc, char** argv);
    ~CNuvrelApp() override;

    // Runs the program; returns the process exit code.
    int run();

    // The sheet while it is shown; pages reach each other through it.
    CNuvrelSheet* mainSheet() const { return m_sheet; }

    static CNuvrelApp* instance();

  private:
    CNuvrelSheet* m_sheet = nullptr;
};

}  // namespace nuvrel
