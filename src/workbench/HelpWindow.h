#pragma once
// Help: sections of the README, which travels inside the workbench, in a window of their own.

#include <QString>
#include <QStringList>

class QWidget;

namespace brindle::workbench {

// The README's sections of those titles ("## Title"), in the README's order, as Markdown.
QString HelpText(const QStringList& titles);

// Shows those sections in the help window over `over`, made the first time and brought to the
// front after. It is no modal window, so it can stay open beside a modal dialog it belongs to.
void ShowHelp(QWidget* over, const QStringList& titles);

// What F1 shows from the options dialog: its options and the template keywords.
QStringList OptionsHelp();

}  // namespace brindle::workbench
