// Opening a scene file from the window.
#include <QFile>

#include "WindowFixture.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

class SceneTest : public WindowTest {
protected:
    QString write(const QString& name, const QByteArray& text)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        return dir.filePath(name);
    }
    static constexpr const char* kHeader =
        "body,posX,posY,momX,momY,gravity,outOfPlay,bodyType,colRed,colGreen,colBlue\n";
};

TEST_F(SceneTest, OpeningASceneWhilePausedResumesAndStartsItAsARunOfItsOwn)
{
    startPreset(2);
    for (int k = 0; k < 20; ++k) w().Ti_Timer();
    w().Command5_Click();
    w().canvas().pset(7680, 5760, Rgb{255, 255, 255});
    const QString path = write("scene.csv", QByteArray(kHeader) +
                                                "0,7680,5760,0,0,100,0,0,255,255,128\n"
                                                "1,8680,5760,0,31.6,0.5,0,3,200,200,200\n"
                                                "40,6680,5760,0,-31.6,0.5,0,3,200,200,200\n");
    QString error;
    ASSERT_TRUE(w().openScene(path, &error)) << error.toStdString();
    EXPECT_TRUE(w().TxTyp->isHidden()) << "resumed";
    EXPECT_FALSE(w().TiF->enabled());
    EXPECT_TRUE(w().Ti->enabled()) << "Go pressed";
    EXPECT_EQ(w().TXn->text(), "40");
    EXPECT_EQ(world().bodyCount, 40);
    EXPECT_EQ(world().nextStar, 0) << "no stars wait to be emitted";
    EXPECT_EQ(w().canvas().image().pixel(512, 384), qRgb(0, 0, 0)) << "the old trails go";
    EXPECT_EQ(world().outOfPlay[2], 1) << "unlisted slots are out of play";
    EXPECT_EQ(world().outOfPlay[40], 0);
    EXPECT_EQ(world().gravity[0], 100);

    const QString stars = w().LaStar->text();
    for (int k = 0; k < 20; ++k) w().Ti_Timer();
    EXPECT_EQ(w().LaStar->text(), stars);
    EXPECT_EQ(world().outOfPlay[3], 1);
}

TEST_F(SceneTest, ASmallSceneCountsThree)
{
    QString error;
    ASSERT_TRUE(w().openScene(write("s.csv", QByteArray(kHeader) + "0,7680,5760,0,0,100,0,0,255,255,128\n"),
                              &error));
    EXPECT_EQ(w().TXn->text(), "3");
}

TEST_F(SceneTest, ARefusedSceneChangesNothing)
{
    startPreset(2);
    w().Command5_Click();
    const std::string before = sceneText(world());
    for (const QByteArray& text : {QByteArray("nonsense\n"), QByteArray(kHeader) + "0,1,2,3\n",
                                   QByteArray(kHeader) + "1000,0,0,0,0,0,0,0,0,0,0\n",
                                   QByteArray(kHeader) + "0,nan,0,0,0,0,0,0,0,0,0\n"}) {
        SCOPED_TRACE(text.toStdString());
        QString error;
        EXPECT_FALSE(w().openScene(write("bad.csv", text), &error));
        EXPECT_TRUE(error.contains("line")) << error.toStdString();
        EXPECT_TRUE(sameLines(sceneText(world()), before));
        EXPECT_FALSE(w().TxTyp->isHidden()) << "still paused";
        EXPECT_EQ(w().TXn->text(), "250");
    }
    QString error;
    EXPECT_FALSE(w().openScene(dir.filePath("missing.csv"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace orb::test
