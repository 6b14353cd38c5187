// The main window's access tags and the hints it assigns at start-up.
#include "app/access_tags.h"
#include "app/definitions.h"
#include "app/main_window.h"
#include "status/status_text.h"
#include "ui/form_components.h"
#include "ui/widgets.h"

#include <QPushButton>

#include <initializer_list>

namespace tvx::app {

namespace {

struct Hint {
  const char* name;
  const char* text;
};

const Hint RuntimeHints[] = {
    {"SendSetValue",
     " Lewy klawisz   - prześlij ustawioną wartość zadaną \r Prawy klawisz - wyzeruj wartość zadaną i prześlij "
     "ustawioną \r Lewy i Ctrl      - prześlij wartość zadaną bez restartu rejestratora przebiegów "},
    {"InfoRefresh", " Lewy klawisz   - odczytaj stan \r Prawy klawisz - włącz/wyłącz odświeżanie stanu co 1s "},
    {"LVDT_Setup",
     " Lewy klawisz   - edycja tabeli linearyzacji charakterystyki czujnika LVDT \r Prawy klawisz - edycja "
     "rozszerzonych parametrów regulatora PID LVDT \r Lewy + Ctrl    - kalibracja czujnika LVDT"},
    {"ReadParameters", " Odczytaj aktualne ustawienia z pamięci RAM rozdzielacza "},
    {"SendParameters", " Wyślij aktualne ustawienia do rozdzielacza bez zapisania ich do jego nieulotnej pamięci "},
    {"WriteParameters", " Wyślij aktualne ustawienia do rozdzielacza i zapisz je w jego nieulotnej pamięci "},
    {"Coil_A_Peak", " Maksymalny chwilowy prąd elektromagnesu A \r Lewy klawisz - wyzeruj i mierz prądy od nowa "},
    {"Coil_B_Peak", " Maksymalny chwilowy prąd elektromagnesu B \r Lewy klawisz - wyzeruj i mierz prądy od nowa "},
    {"DAC_Value", " Poprawny zakres to liczba z przedziału 0-4095 \r Prawy klawisz - wartości typowe dla kalibracji "},
    {"StopInfo", " Wartość krytyczna powodująca zatrzymanie \r Lewy klawisz - kasuj błędy SOFT (12,13 i 21) "},
    {"SimulationHint",
     " Lewy klawisz    - zwiększ wartość zadaną o minimalny krok \r Prawy klawisz  - zmniejsz wartość zadaną o "
     "minimalny krok \r Klawisz + Shift - zmień wartość zadaną o 10 kroków \r Klawisz + Ctrl   - zmień wartość "
     "zadaną i wyślij do rozdzielacza, \r                             jeśli sterowanie zdalne włączone\r\r "
     "Trzymanie klawisza włącza przyspieszające autopowtarzanie "},
};

constexpr const char* AboutImageHint =
    " Lewy klawisz   - informacje o programie \r Prawy klawisz - wyłącz podpowiedzi \r Poziom: ";

QWidget* WidgetNamed(const ui::FormComponents& form, const char* name) {
  return qobject_cast<QWidget*>(form.object(QString::fromLatin1(name)));
}

}  // namespace

void TPgm::AssignAccessTags() {
  for (const TagGroup& group : MainWindowTags()) {
    for (const char* name : group.names) components_.setTag(QString::fromLatin1(name), group.tag);
  }
}

void TPgm::AssignRuntimeHints() {
  for (const Hint& hint : RuntimeHints) {
    if (QWidget* w = WidgetNamed(components_, hint.name)) w->setToolTip(ui::DesignText(hint.text));
  }
  if (AccessLevel > 1) StopCodeLabel->setToolTip(QString::fromStdString(status::StopCodeHint()));
  AboutImage->setToolTip(ui::DesignText(AboutImageHint) + QString::fromStdString(AccessLevelName));
}

}  // namespace tvx::app
