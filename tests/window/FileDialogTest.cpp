// The file dialogs read as one: light throughout with dark text, none of the
// window's dark rules reaching them half way.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMap>
#include <QTimer>
#include <QTreeView>

#include "WindowFixture.h"

namespace orb::test {
namespace {

struct Look {
    int background;  // the luminance most of the area has
    int contrast;    // how far the farthest pixel is from it
};

Look lookOf(const QImage& img, const QRect& r)
{
    QMap<int, int> count;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++count[qGray(img.pixel(x, y))];
    int background = 0, most = -1;
    for (auto it = count.begin(); it != count.end(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    int contrast = 0;
    for (auto it = count.begin(); it != count.end(); ++it) contrast = std::max(contrast, std::abs(it.key() - background));
    return {background, contrast};
}

// Checks every part of the dialog that shows text: light behind, dark text.
void expectReadable(QFileDialog* d)
{
    const QImage img = d->grab().toImage();
    EXPECT_GT(lookOf(img, d->rect()).background, 170) << "the dialog is light";
    int checked = 0;
    auto check = [&](QWidget* w, const QString& what) {
        // A disabled button is meant to stand out less.
        if (!w->isVisible() || !w->isEnabled() || w->width() < 8 || w->height() < 8) return;
        const QRect r(w->mapTo(d, QPoint(0, 0)), w->size());
        const Look look = lookOf(img, r.intersected(d->rect()));
        EXPECT_GT(look.background, 170) << what.toStdString() << ": light like the rest";
        EXPECT_GT(look.contrast, 110) << what.toStdString() << ": its text stands out";
        ++checked;
    };
    for (QLabel* l : d->findChildren<QLabel*>())
        if (!l->text().isEmpty()) check(l, "label " + l->text());
    for (QLineEdit* e : d->findChildren<QLineEdit*>()) check(e, "field " + e->objectName());
    for (QComboBox* c : d->findChildren<QComboBox*>()) check(c, "box " + c->objectName());
    for (QPushButton* b : d->findChildren<QPushButton*>()) check(b, "button " + b->text());
    EXPECT_GE(checked, 6) << "File name, Look in, Files of type, their fields, the buttons";
}

TEST(FileDialog, EachFileDialogIsLightWithDarkText)
{
    QTemporaryDir dir;
    ManualTime clock;
    WindowOptions o;
    o.clock = &clock;
    o.recordFile = dir.filePath("tallyho.ogg");
    o.endProgram = [] {};
    Fs4x3 w(o);  // with the window's own file dialog
    w.show();
    QFile(dir.filePath("scene.csv")).open(QIODevice::WriteOnly);
    for (const char* action : {"ExportPicture", "Open"}) {
        SCOPED_TRACE(action);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            seen = true;
            d->setDirectory(dir.path());
            QApplication::processEvents();
            expectReadable(d);
            d->reject();
        });
        w.action(action)->trigger();
        EXPECT_TRUE(seen);
    }
}

}  // namespace
}  // namespace orb::test
