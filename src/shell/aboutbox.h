#pragma once

#include "kit/screen.h"

#include <QUrl>

class ClickLabel;

// The about window: the maker's picture; a double-click closes it, and the
// link area opens the maker's web page in the default browser.
class AboutBox : public Screen {
    Q_OBJECT
public:
    AboutBox();
    ClickLabel* link() const { return m_link; }
    static QUrl makersPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ClickLabel* m_link;
};
