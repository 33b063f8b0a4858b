#pragma once

#include <QDialog>
#include <QUrl>

namespace nw {

class PageView;

// "Update Status": shows what the maker's update page answers about the running version.
class UpdateWindow : public QDialog {
    Q_OBJECT
public:
    explicit UpdateWindow(QWidget* parent = nullptr, const QUrl& address = {});
    PageView* page() const { return page_; }

    // Shows a new window modally over parent; every check asks the page again.
    static void check(QWidget* parent);

private:
    void formLoad(const QUrl& address);

    PageView* page_ = nullptr;
};

} // namespace nw
