// The name of every control of the main window. The numbers are the controls' fixed numbers
// (0 to 114): the window creates them in this order, and Tab moves among them in it. Where the
// program takes controls as a run (the section buttons, the rotation buttons), the run is named
// by its first and last, and the compiler checks that they are numbered one after the other.
#pragma once

#include <initializer_list>

#include "platform/window.h"

namespace tarvel {

// A run of controls numbered one after the other, named by its first and its last: the one place
// where a control's number is counted on from another's.
class ControlRun {
  public:
    constexpr ControlRun(ControlId first, ControlId last) : first_(first), last_(last) {}

    constexpr ControlId first() const { return first_; }
    constexpr ControlId last() const { return last_; }
    constexpr bool contains(ControlId id) const { return first_ <= id && id <= last_; }
    constexpr int size() const { return last_.number() - first_.number() + 1; }
    // The control `i` places after the first (0 is the first).
    constexpr ControlId at(int i) const { return ControlId(first_.number() + i); }
    // Where `id` stands in the run, from 0.
    constexpr int placeOf(ControlId id) const { return id.number() - first_.number(); }

    class Iterator {
      public:
        constexpr explicit Iterator(int number) : number_(number) {}
        constexpr ControlId operator*() const { return ControlId(number_); }
        constexpr Iterator& operator++() {
            ++number_;
            return *this;
        }
        friend constexpr bool operator==(Iterator, Iterator) = default;

      private:
        int number_;
    };
    constexpr Iterator begin() const { return Iterator(first_.number()); }
    constexpr Iterator end() const { return Iterator(last_.number() + 1); }

  private:
    ControlId first_, last_;
};

// True when the controls are numbered one after the other, in the order given.
constexpr bool followEachOther(std::initializer_list<ControlId> controls) {
    int next = controls.size() == 0 ? 0 : controls.begin()->number();
    for (ControlId id : controls)
        if (id.number() != next++) return false;
    return true;
}

}  // namespace tarvel

namespace tarvel::ctl {

// The parameter panel: a label and a field per row, from the top down.
constexpr ControlId kCoreDiameterLabel{0};
constexpr ControlId kSlotCountLabel{1};
constexpr ControlId kSlotDepthLabel{2};
constexpr ControlId kSlotWidthLabel{3};
constexpr ControlId kPolesLabel{4};
constexpr ControlId kTurnsLabel{5};
constexpr ControlId kCommutatorDistanceLabel{6};
constexpr ControlId kBarCountLabel{7};
constexpr ControlId kDirectionLabel{8};
constexpr ControlId kLayingOrderLabel{9};
constexpr ControlId kCoreHeightLabel{10};
constexpr ControlId kCoreHeight{11};
constexpr ControlId kCoreDiameter{12};
constexpr ControlId kSlotCount{13};
constexpr ControlId kSlotDepth{14};
constexpr ControlId kSlotWidth{15};
constexpr ControlId kPoles{16};
constexpr ControlId kTurns{17};
constexpr ControlId kCommutatorDistance{18};
constexpr ControlId kBarCount{19};
constexpr ControlId kDirection{20};
constexpr ControlId kLayingOrder{21};
// The span and turns rows of the section table alternate: span 1, turns 1, span 2, ...
constexpr ControlId kSpan1{22};
constexpr ControlId kSectionTurns1{23};
constexpr ControlId kSpan2{24};
constexpr ControlId kSectionTurns2{25};
constexpr ControlId kSpan3{26};
constexpr ControlId kSectionTurns3{27};
constexpr ControlId kSpan4{28};
constexpr ControlId kSectionTurns4{29};
constexpr ControlId kColumnHeader1{30};  // "С 1" to "С 4"
constexpr ControlId kColumnHeader2{31};
constexpr ControlId kColumnHeader3{32};
constexpr ControlId kColumnHeader4{33};
constexpr ControlId kSectionOffsetLabel{34};
constexpr ControlId kOffsetTurnsLabel{35};
constexpr ControlId kRotationBeforeLabel{36};
constexpr ControlId kRotationBefore{37};
constexpr ControlId kRotationAfterLabel{38};
constexpr ControlId kRotationAfter{39};
constexpr ControlId kSectionOffset1{40};
constexpr ControlId kSectionOffset2{41};
constexpr ControlId kSectionOffset3{42};
constexpr ControlId kSectionOffset4{43};
constexpr ControlId kOffsetTurns1{44};
constexpr ControlId kOffsetTurns2{45};
constexpr ControlId kOffsetTurns3{46};
constexpr ControlId kOffsetTurns4{47};
constexpr ControlId kSectionPositionLabel{48};
constexpr ControlId kSectionPosition1{49};
constexpr ControlId kSectionPosition2{50};
constexpr ControlId kSectionPosition3{51};
constexpr ControlId kSectionPosition4{52};
constexpr ControlId kLeadInLabel{53};
constexpr ControlId kLeadIn1{54};
constexpr ControlId kLeadIn2{55};
constexpr ControlId kLeadIn3{56};
constexpr ControlId kLeadIn4{57};
constexpr ControlId kLeadOutLabel{58};
constexpr ControlId kLeadOut1{59};
constexpr ControlId kLeadOut2{60};
constexpr ControlId kLeadOut3{61};
constexpr ControlId kLeadOut4{62};

// The machine panel.
constexpr ControlId kJogHeightUp{63};      // "+"
constexpr ControlId kJogHeightDown{64};    // "-"
constexpr ControlId kJogLengthUp{65};      // ▲
constexpr ControlId kJogRotationDown{66};  // ◀
constexpr ControlId kJogRotationUp{67};    // ▶
constexpr ControlId kJogLengthDown{68};    // ▼
constexpr ControlId kStatus{69};
constexpr ControlId kMethodLabel{70};
constexpr ControlId kMethod{71};
constexpr ControlId kRefresh{72};
constexpr ControlId kCommandBox{73};
constexpr ControlId kSend{74};
constexpr ControlId kLengthZero{75};
constexpr ControlId kHeightZero{76};
constexpr ControlId kRotationZero{77};
constexpr ControlId kStartPosition{78};
constexpr ControlId kReadout{79};
constexpr ControlId kReset{80};
constexpr ControlId kPark{81};
constexpr ControlId kChange{82};
constexpr ControlId kCommutatorSideLabel{83};
constexpr ControlId kCommutatorSide{84};
constexpr ControlId kSlotSkewLabel{85};
constexpr ControlId kSlotSkew{86};
constexpr ControlId kCycleProgress{87};
constexpr ControlId kWindingSpeed{88};
constexpr ControlId kWindingSpeedLabel{89};
constexpr ControlId kWindingSpeedScale{90};
constexpr ControlId kSave{91};
constexpr ControlId kLoad{92};
constexpr ControlId kSection1{93};
constexpr ControlId kSection2{94};
constexpr ControlId kSection3{95};
constexpr ControlId kSection4{96};
constexpr ControlId kRotateTo0{97};
constexpr ControlId kRotateToMinus180{98};
constexpr ControlId kRotateToMinus360{99};
constexpr ControlId kRotateTo180{100};
constexpr ControlId kRotateTo360{101};
constexpr ControlId kRotateSlotForward{102};  // ">>"
constexpr ControlId kRotateSlotBack{103};     // "<<"
constexpr ControlId kStop{104};
constexpr ControlId kPause{105};
constexpr ControlId kStake{106};
constexpr ControlId kNext{107};
constexpr ControlId kProfilePath{108};
constexpr ControlId kSectionProgress1{109};
constexpr ControlId kSectionProgress2{110};
constexpr ControlId kSectionProgress3{111};
constexpr ControlId kSectionProgress4{112};
constexpr ControlId kStakingPower{113};
constexpr ControlId kStakingPowerLabel{114};

// The runs the program takes as runs, each checked to be one.
constexpr ControlRun kSectionButtons{kSection1, kSection4};
static_assert(followEachOther({kSection1, kSection2, kSection3, kSection4}));
constexpr ControlRun kSectionBars{kSectionProgress1, kSectionProgress4};
static_assert(followEachOther({kSectionProgress1, kSectionProgress2, kSectionProgress3,
                               kSectionProgress4}));
constexpr ControlRun kRotationButtons{kRotateTo0, kRotateSlotBack};
static_assert(followEachOther({kRotateTo0, kRotateToMinus180, kRotateToMinus360, kRotateTo180,
                               kRotateTo360, kRotateSlotForward, kRotateSlotBack}));
constexpr ControlRun kJogButtons{kJogHeightUp, kJogLengthDown};
static_assert(followEachOther({kJogHeightUp, kJogHeightDown, kJogLengthUp, kJogRotationDown,
                               kJogRotationUp, kJogLengthDown}));
constexpr ControlRun kZeroButtons{kLengthZero, kRotationZero};
static_assert(followEachOther({kLengthZero, kHeightZero, kRotationZero}));

// Section k's button (1 to 4).
constexpr ControlId sectionButton(int k) {
    return kSectionButtons.at(k - 1);
}
// Section k's progress bar (1 to 4).
constexpr ControlId sectionBar(int k) {
    return kSectionBars.at(k - 1);
}

}  // namespace tarvel::ctl
