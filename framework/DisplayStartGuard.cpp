#include "framework/DisplayStartGuard.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct CHeldMessage {
    QtMsgType Type;
    QByteArray File;
    int Line;
    QByteArray Function;
    QByteArray Category;
    QString Text;
};

QtMessageHandler previousHandler = nullptr;
QByteArray noDisplayLine;
std::vector<CHeldMessage> heldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // The toolkit would abort now; its warnings of the attempt say no more than this line.
        std::fwrite(noDisplayLine.constData(), 1, std::size_t(noDisplayLine.size()), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    heldMessages.push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

CDisplayStartGuard::CDisplayStartGuard(const QString& program)
{
    noDisplayLine = program.toLocal8Bit()
                    + ": no display could be opened (it runs on a graphical desktop: is DISPLAY or "
                      "WAYLAND_DISPLAY set?)\n";
    heldMessages.clear();
    previousHandler = qInstallMessageHandler(HoldMessage);
}

CDisplayStartGuard::~CDisplayStartGuard()
{
    End();
}

void CDisplayStartGuard::End()
{
    if (!Active)
        return;
    Active = false;
    qInstallMessageHandler(previousHandler);
    std::vector<CHeldMessage> held;
    held.swap(heldMessages);
    for (const CHeldMessage& message : held) {
        const QMessageLogContext context(message.File.isEmpty() ? nullptr : message.File.constData(), message.Line,
                                         message.Function.isEmpty() ? nullptr : message.Function.constData(),
                                         message.Category.isEmpty() ? nullptr : message.Category.constData());
        previousHandler(message.Type, context, message.Text);
    }
}
