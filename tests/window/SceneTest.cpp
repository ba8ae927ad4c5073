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
    for (int k = 0; k < 20; ++k) w().simulation().Ti_Timer();
    w().pause().Command5_Click();
    w().canvas().pset(7680, 5760, Rgb{255, 255, 255});
    const QString path = write("scene.csv", QByteArray(kHeader) +
                                                "0,7680,5760,0,0,100,0,0,255,255,128\n"
                                                "1,8680,5760,0,31.6,0.5,0,3,200,200,200\n"
                                                "40,6680,5760,0,-31.6,0.5,0,3,200,200,200\n");
    const Status opened = w().scenes().openScene(path);
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_TRUE(field("TxTyp")->isHidden()) << "resumed";
    EXPECT_FALSE(timer("TiF")->enabled());
    EXPECT_TRUE(timer("Ti")->enabled()) << "Go pressed";
    EXPECT_EQ(field("TXn")->text(), "40");
    EXPECT_EQ(world().bodyCount, 40);
    EXPECT_EQ(world().nextStar, 0) << "no stars wait to be emitted";
    EXPECT_EQ(w().canvas().image().pixel(512, 384), qRgb(0, 0, 0)) << "the old trails go";
    EXPECT_EQ(world().outOfPlay[2], 1) << "unlisted slots are out of play";
    EXPECT_EQ(world().outOfPlay[40], 0);
    EXPECT_EQ(world().gravity[0], 100);

    const QString stars = label("LaStar")->text();
    for (int k = 0; k < 20; ++k) w().simulation().Ti_Timer();
    EXPECT_EQ(label("LaStar")->text(), stars);
    EXPECT_EQ(world().outOfPlay[3], 1);
}

TEST_F(SceneTest, ASmallSceneCountsThree)
{
    ASSERT_TRUE(w().scenes().openScene(write("s.csv", QByteArray(kHeader) + "0,7680,5760,0,0,100,0,0,255,255,128\n")));
    EXPECT_EQ(field("TXn")->text(), "3");
}

TEST_F(SceneTest, ARefusedSceneChangesNothing)
{
    startPreset(2);
    w().pause().Command5_Click();
    const std::string before = sceneText(world());
    for (const QByteArray& text : {QByteArray("nonsense\n"), QByteArray(kHeader) + "0,1,2,3\n",
                                   QByteArray(kHeader) + "1000,0,0,0,0,0,0,0,0,0,0\n",
                                   QByteArray(kHeader) + "0,nan,0,0,0,0,0,0,0,0,0\n"}) {
        SCOPED_TRACE(text.toStdString());
        const Status refused = w().scenes().openScene(write("bad.csv", text));
        EXPECT_FALSE(refused);
        EXPECT_NE(refused.error().find("line"), std::string::npos) << refused.error();
        EXPECT_TRUE(sameLines(sceneText(world()), before));
        EXPECT_FALSE(field("TxTyp")->isHidden()) << "still paused";
        EXPECT_EQ(field("TXn")->text(), "250");
    }
    const Status missing = w().scenes().openScene(dir.filePath("missing.csv"));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error().empty());
}

}  // namespace
}  // namespace orb::test
