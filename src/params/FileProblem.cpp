#include "params/FileProblem.h"

#include "params/QuotedText.h"

namespace zuvo {

QString fileProblemOrigin(const FileProblem& problem, const QString& fileName) {
    return QLatin1Char('[') + problem.section + QStringLiteral("] ") + problem.key +
           QLatin1Char('=') + quotedText(problem.written) + QStringLiteral(" in ") +
           printableText(fileName);
}

QString fileProblemText(const FileProblem& problem, const QString& fileName) {
    return problem.reason + QStringLiteral(" (") + fileProblemOrigin(problem, fileName) +
           QLatin1Char(')');
}

} // namespace zuvo
