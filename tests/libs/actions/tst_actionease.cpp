// The easing curves, read through the times an ease hands its inner action.

#include "ActionTestSupport.h"
#include "CCActionEase.h"
#include "CCIntervalActions.h"

#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <typeinfo>

using EaseMaker = std::function<CCActionInterval*(CCActionInterval*)>;
Q_DECLARE_METATYPE(EaseMaker)

class TestActionEase : public QObject
{
    Q_OBJECT

private slots:
    void curves_data();
    void curves();
    void fractionalRateIsNeverNaN();
    void elasticInOutKeepsDefaultPeriod();
    void reverses_data();
    void reverses();
    void easeOverActionWithoutReverse();
    void nullInnerActionFails();
};

// Every kind at t = 0.25, 0.5, 0.75 and 1, against the curves computed in
// double precision; the exact rows must match to the last bit.
void TestActionEase::curves_data()
{
    QTest::addColumn<EaseMaker>("make");
    QTest::addColumn<QList<double>>("expected");
    QTest::addColumn<bool>("exact");

    auto row = [](const char* name, EaseMaker make, QList<double> expected, bool exact) {
        QTest::newRow(name) << make << expected << exact;
    };
    row("linear", [](CCActionInterval* inner) -> CCActionInterval* { return CCActionEase::actionWithAction(inner); }, { 0.25, 0.5, 0.75, 1.0 }, false);
    row("in 2", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseIn::actionWithAction(inner, 2); }, { 0.0625, 0.25, 0.5625, 1.0 }, false);
    row("out 2", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseOut::actionWithAction(inner, 2); }, { 0.5, 0.707106781, 0.866025404, 1.0 }, false);
    row("in out 1", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseInOut::actionWithAction(inner, 1); }, { 0.25, 0.5, 0.75, 1.0 }, false);
    row("in out 2", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseInOut::actionWithAction(inner, 2); }, { 0.125, 0.5, 0.875, 1.0 }, true);
    row("in out 3", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseInOut::actionWithAction(inner, 3); }, { 0.0625, 0.5, 0.9375, 1.0 }, true);
    row("in out 2.5", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseInOut::actionWithAction(inner, 2.5f); }, { 0.088388348, 0.5, 0.911611652, 1.0 }, false);
    row("exponential in", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseExponentialIn::actionWithAction(inner); }, { 0.004524272, 0.03025, 0.175776695, 0.999 }, true);
    row("exponential out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseExponentialOut::actionWithAction(inner); }, { 0.823223305, 0.96875, 0.994475728, 1 }, true);
    row("exponential in out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseExponentialInOut::actionWithAction(inner); }, { 0.015625, 0.5, 0.984375, 0.999511719 }, false);
    row("sine in", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseSineIn::actionWithAction(inner); }, { 0.076120467, 0.292893219, 0.617316568, 1.0 }, false);
    row("sine out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseSineOut::actionWithAction(inner); }, { 0.382683432, 0.707106781, 0.923879533, 1.0 }, false);
    row("sine in out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseSineInOut::actionWithAction(inner); }, { 0.146446609, 0.5, 0.853553391, 1.0 }, false);
    row("elastic in", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseElasticIn::actionWithAction(inner); }, { -0.005524272, -0.015625, 0.088388348, 1.0 }, false);
    row("elastic out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseElasticOut::actionWithAction(inner); }, { 0.911611652, 1.015625, 1.005524272, 1.0 }, false);
    row("elastic in out 0", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseElasticInOut::actionWithAction(inner, 0); }, { 0.011969444, 0.5, 0.988030556, 1.0 }, false);
    row("bounce in", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBounceIn::actionWithAction(inner); }, { 0.02734375, 0.234375, 0.52734375, 1.0 }, false);
    row("bounce out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBounceOut::actionWithAction(inner); }, { 0.47265625, 0.765625, 0.97265625, 1.0 }, true);
    row("bounce in out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBounceInOut::actionWithAction(inner); }, { 0.1171875, 0.5, 0.8828125, 1.0 }, false);
    row("back in", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBackIn::actionWithAction(inner); }, { -0.064136563, -0.0876975, 0.182590312, 1.0 }, false);
    row("back out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBackOut::actionWithAction(inner); }, { 0.817409688, 1.0876975, 1.064136563, 1.0 }, false);
    row("back in out", [](CCActionInterval* inner) -> CCActionInterval* { return CCEaseBackInOut::actionWithAction(inner); }, { -0.099681844, 0.5, 1.099681844, 1.0 }, false);
}

void TestActionEase::curves()
{
    QFETCH(EaseMaker, make);
    QFETCH(QList<double>, expected);
    QFETCH(bool, exact);

    RecordingAction* inner = RecordingAction::actionWithDuration(2);
    std::unique_ptr<CCActionInterval> ease(make(inner));
    QCOMPARE(ease->getDuration(), 2.0f);
    ease->startWithTarget(nullptr);
    const float times[] = { 0.25f, 0.5f, 0.75f, 1.0f };
    for (float t : times)
        ease->update(t);
    QCOMPARE(inner->updates.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const float got = inner->updates.at(i);
        if (exact)
            QCOMPARE(got, float(expected.at(i)));
        else
            QVERIFY2(std::fabs(got - expected.at(i)) < 2e-6,
                     qPrintable(QString("t = %1: %2, expected %3").arg(times[i]).arg(got, 0, 'g', 9).arg(expected.at(i), 0, 'g', 9)));
    }
}

void TestActionEase::fractionalRateIsNeverNaN()
{
    RecordingAction* inner = RecordingAction::actionWithDuration(1);
    std::unique_ptr<CCEaseInOut> ease(CCEaseInOut::actionWithAction(inner, 1.7f));
    for (int i = 0; i <= 20; ++i)
        ease->update(i / 20.0f);
    for (float t : std::as_const(inner->updates))
        QVERIFY(std::isfinite(t) && t >= 0 && t <= 1);
    QCOMPARE(inner->updates.last(), 1.0f);
}

void TestActionEase::elasticInOutKeepsDefaultPeriod()
{
    std::unique_ptr<CCEaseElasticInOut> ease(
        CCEaseElasticInOut::actionWithAction(RecordingAction::actionWithDuration(1), 0));
    QCOMPARE(ease->getPeriod(), 0.0f);
    ease->update(1); // the ends leave it
    QCOMPARE(ease->getPeriod(), 0.0f);
    ease->update(0.3f);
    QCOMPARE(ease->getPeriod(), 0.45f);
    std::unique_ptr<CCEaseElasticIn> plain(CCEaseElasticIn::actionWithAction(RecordingAction::actionWithDuration(1)));
    QCOMPARE(plain->getPeriod(), 0.3f);
}

// The kind of each reverse, and the rate or period it carries over.
void TestActionEase::reverses_data()
{
    QTest::addColumn<EaseMaker>("make");
    QTest::addColumn<QString>("reverseKind");
    QTest::addColumn<float>("parameter");

    auto row = [](const char* name, EaseMaker make, const std::type_info& kind, float parameter) {
        QTest::newRow(name) << make << QString(kind.name()) << parameter;
    };
    row("in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseIn::actionWithAction(a, 4); }, typeid(CCEaseRateAction), 0.25f);
    row("out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseOut::actionWithAction(a, 4); }, typeid(CCEaseRateAction), 0.25f);
    row("in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseInOut::actionWithAction(a, 3); }, typeid(CCEaseInOut), 3.0f);
    row("exponential in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseExponentialIn::actionWithAction(a); }, typeid(CCEaseExponentialOut), 0.0f);
    row("exponential out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseExponentialOut::actionWithAction(a); }, typeid(CCEaseExponentialIn), 0.0f);
    row("exponential in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseExponentialInOut::actionWithAction(a); }, typeid(CCActionEase), 0.0f);
    row("sine in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseSineIn::actionWithAction(a); }, typeid(CCEaseSineOut), 0.0f);
    row("sine out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseSineOut::actionWithAction(a); }, typeid(CCEaseSineIn), 0.0f);
    row("sine in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseSineInOut::actionWithAction(a); }, typeid(CCActionEase), 0.0f);
    row("elastic in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseElasticIn::actionWithAction(a, 0.4f); }, typeid(CCEaseElasticOut), 0.4f);
    row("elastic out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseElasticOut::actionWithAction(a, 0.4f); }, typeid(CCEaseElasticIn), 0.4f);
    row("elastic in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseElasticInOut::actionWithAction(a, 0.4f); }, typeid(CCEaseInOut), 0.4f);
    row("bounce in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBounceIn::actionWithAction(a); }, typeid(CCEaseBounceOut), 0.0f);
    row("bounce out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBounceOut::actionWithAction(a); }, typeid(CCEaseBounceIn), 0.0f);
    row("bounce in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBounceInOut::actionWithAction(a); }, typeid(CCActionEase), 0.0f);
    row("back in", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBackIn::actionWithAction(a); }, typeid(CCEaseBackOut), 0.0f);
    row("back out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBackOut::actionWithAction(a); }, typeid(CCEaseBackIn), 0.0f);
    row("back in out", [](CCActionInterval* a) -> CCActionInterval* { return CCEaseBackInOut::actionWithAction(a); }, typeid(CCActionEase), 0.0f);
    row("linear", [](CCActionInterval* a) -> CCActionInterval* { return CCActionEase::actionWithAction(a); }, typeid(CCActionEase), 0.0f);
}

void TestActionEase::reverses()
{
    QFETCH(EaseMaker, make);
    QFETCH(QString, reverseKind);
    QFETCH(float, parameter);

    std::unique_ptr<CCActionInterval> ease(make(CCMoveBy::actionWithDuration(2, QPointF(10, 0))));
    std::unique_ptr<CCFiniteTimeAction> reversed(ease->reverse());
    QVERIFY(reversed);
    QCOMPARE(QString(typeid(*reversed).name()), reverseKind);
    QCOMPARE(reversed->getDuration(), 2.0f);
    if (auto* rate = dynamic_cast<CCEaseRateAction*>(reversed.get()))
        QCOMPARE(rate->getRate(), parameter);
    if (auto* elastic = dynamic_cast<CCEaseElastic*>(reversed.get()))
        QCOMPARE(elastic->getPeriod(), parameter);
}

void TestActionEase::easeOverActionWithoutReverse()
{
    std::unique_ptr<CCEaseInOut> ease(CCEaseInOut::actionWithAction(CCMoveTo::actionWithDuration(1, QPointF(1, 1)), 2));
    QCOMPARE(ease->reverse(), nullptr);
    std::unique_ptr<CCEaseElastic> elastic(CCEaseElastic::actionWithAction(CCMoveBy::actionWithDuration(1, QPointF(1, 1))));
    QCOMPARE(elastic->reverse(), nullptr);
}

void TestActionEase::nullInnerActionFails()
{
    QCOMPARE(CCActionEase::actionWithAction(nullptr), nullptr);
    QCOMPARE(CCEaseInOut::actionWithAction(nullptr, 2), nullptr);
    QCOMPARE(CCEaseElasticOut::actionWithAction(nullptr), nullptr);
    QCOMPARE(CCEaseBounceIn::actionWithAction(nullptr), nullptr);
}

QTEST_MAIN(TestActionEase)
#include "tst_actionease.moc"
