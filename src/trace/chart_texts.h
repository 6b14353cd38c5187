// The chart window's own texts, exactly as the program shows them (UTF-8,
// "\n" for a line break).
#pragma once

#include <array>

namespace tvx::trace::text {

// The chart window
inline constexpr char ChartCaption[] = "  Przebieg regulacji";
inline constexpr char ShowChartCaption[] = " &Wykres";
inline constexpr char ShowChartHint[] = " Pokaż przebieg ";
inline constexpr char RestartCaption[] = " Zbie&raj";
inline constexpr char SaveCaption[] = " Za&pisz";
inline constexpr char SaveHint[] = " Zapisz wykresy jako plik JPG ";
inline constexpr char QuitCaption[] = "  OK ";
inline constexpr char IntervalLabel[] = "&Okres próbkowania";
inline constexpr char IntervalUnitLabel[] = "przebiegów [ms]";
inline constexpr char IaLabel[] = "Ia";
inline constexpr char IbLabel[] = "Ib";
inline constexpr char LvLabel[] = "Lv";
inline constexpr char SvLabel[] = "Uz";
inline constexpr char TimeLabel[] = "t";
inline constexpr char AmpUnit[] = "[A]";
inline constexpr char VoltUnit[] = "[V]";
inline constexpr char SecondUnit[] = "[s]";
inline constexpr char PidModeText[] = "PID Mode = ";
inline constexpr char IaHint[] = " Średni prąd cewki A. Klawisz 'A' przełącza widoczność wykresu ";
inline constexpr char IbHint[] = " Średni prąd cewki B. Klawisz 'B' przełącza widoczność wykresu ";
inline constexpr char LvHint[] = " Sygnał z czujnika położenia. Klawisz 'L' przełącza widoczność wykresu ";
inline constexpr char SvHint[] = " Wartość zadana unormowana do ±10V. Klawisz 'Z' przełącza widoczność wykresu ";
inline constexpr char DacHint[] = " Sygnał na wyjściu monitora DAC. Klawisz 'D' przełącza widoczność wykresu ";
inline constexpr char DacLabel[] = "DAC";

// The group that chooses the monitor source, and its six sources in number order
inline constexpr char SourceGroupCaption[] = " Wartość na wykresie LVDT ";
inline constexpr char SendSelectionCaption[] = " OK ";
inline constexpr char CancelCaption[] = "Anuluj  ";
inline constexpr std::array<const char*, 6> SourceCaptions{
    "stan wyjścia DAC",  "większa z wartości PWM_A i PWM_B", "wypełnienie PWM_A",
    "wypełnienie PWM_B", "składowa A regulatora PID",        "składowa B regulatora PID",
};

// The text column of the picture
inline constexpr char ThreePositions[] = "3P";
inline constexpr char TwoPositions[] = "2P";
inline constexpr char Voltage3[] = "-10..10V";
inline constexpr char Voltage2[] = "0..10V";
inline constexpr char CurrentInput[] = "4..20mA";
inline constexpr char Lvdt[] = "LVDT";
inline constexpr char NoLvdt[] = "Bez LVDT";
inline constexpr char Kp[] = "Kp   = ";
inline constexpr char Ki[] = "Ki    = ";
inline constexpr char Kd[] = "Kd   = ";
inline constexpr char DKp[] = "DKp = ";
inline constexpr char DKi[] = "DKi  =  ";
inline constexpr char LKp[] = "LKp = ";
inline constexpr char LKi[] = "LKi   = ";
inline constexpr char IavgB[] = "Iavg B";
inline constexpr char IavgA[] = "Iavg A";
inline constexpr char Dac[] = "DAC";
inline constexpr char Uzad[] = "Uzad";
inline constexpr char DtPrefix[] = "dt = ";
inline constexpr char DtSuffix[] = "ms";

// Scale and time labels
inline constexpr char HeightSample[] = "123";
inline constexpr char DacTop[] = "4095";
inline constexpr char PlusTen[] = "+10V";
inline constexpr char DacMid[] = "2048";
inline constexpr char ZeroVolt[] = "  0V";
inline constexpr char DacZero[] = "0";
inline constexpr char MinusTen[] = "-10V";
inline constexpr char AmpSuffix[] = "A";
inline constexpr char TimeWidthSample[] = "2.5s";
inline constexpr char SecondSuffix[] = "s";

// Saving the picture
inline constexpr char JpegFilterName[] = "Obraz w formacie JPEG  (*.jpg)";
inline constexpr char JpegFilterMask[] = "*.JPG";
inline constexpr char JpegSuffix[] = "JPG";
inline constexpr char ProposedName[] = "Przebieg regulacji";
inline constexpr char OverwriteQuestion[] = " Zastąpić istniejący plik ?  \n\n ";
inline constexpr char OverwriteTail[] = "  ";
inline constexpr char OverwriteCaption[] = " Konfiguracja";

// Opening the chart
inline constexpr char InvalidPwmText[] =
    " Błędna wartość PWM.\n\n Nie można ustalić okresów   \n próbkowania przebiegów.   ";
inline constexpr char RestartHintHead[] = " Zbierz kolejne ";
inline constexpr char RestartHintTail[] = "s przebiegu ";
inline constexpr char InvalidPwmCaption[] = " Błąd";

}  // namespace tvx::trace::text
