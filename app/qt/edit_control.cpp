#include "edit_control.h"

#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>

namespace pitchwise {

namespace {

// QLineEdit keeps this margin between its contents rectangle and the text.
constexpr int LINE_EDIT_TEXT_MARGIN = 2;

class CWidthLimitValidator : public QValidator {
  public:
    explicit CWidthLimitValidator(const CEditControl& edit) : QValidator(nullptr), m_edit(edit) {}

    State validate(QString& input, int&) const override {
        return m_edit.TextFits(input) ? Acceptable : Invalid;
    }

  private:
    const CEditControl& m_edit;
};

}  // namespace

CEditControl::CEditControl(bool scrollsHorizontally, QWidget* parent) : QLineEdit(parent) {
    if (!scrollsHorizontally) {
        auto* validator = new CWidthLimitValidator(*this);
        validator->setParent(this);
        setValidator(validator);
    }
}

int CEditControl::TextAreaWidth() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    area = area.marginsRemoved(textMargins());
    return area.width() - 2 * LINE_EDIT_TEXT_MARGIN;
}

bool CEditControl::TextFits(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) <= TextAreaWidth();
}

}  // namespace pitchwise
