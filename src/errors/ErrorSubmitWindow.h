#pragma once

#include <QDialog>
#include <QUrl>

namespace nw {

class PageView;

// errSubmit: sends the report to the maker's page and shows its answer.
class ErrorSubmitWindow : public QDialog {
    Q_OBJECT
public:
    ErrorSubmitWindow(const QUrl& address, QWidget* parent = nullptr);
    PageView* page() const { return page_; }

private:
    PageView* page_ = nullptr;
};

} // namespace nw
