// The model's reading of its inputs: the timer, site and run-options files,
// crop and soil data files, the rerun file, yearly weather and rainfall
// files, each through the model's own readers, and every value of the
// model's parameter table taken from what was read, as the model asks for
// them. Errors are the model's input errors (file, key, explanation).
//
// Input: one byte choosing the kind of file, then the file.

#include "model/ModelInput.h"

#include <string>

#include "FuzzSupport.h"
#include "foundations/Errors.h"
#include "model/Weather.h"

namespace {
// Every parameter of the file code File, as the model would ask for it.
void AskAll(const TValueSet& Base, const TRerun* Rerun, const char* File) {
  const TParams P(Base, Rerun, "rerun");
  for (const TParDef& D : ModelParameters()) {
    if (File && std::string(D.File) != File) continue;
    if (!P.Has(D.Name)) continue;
    try {
      (void)P.Source(D.Name);
      switch (D.Kind()) {
        case TParKind::Text: (void)P.Text(D.Name); break;
        case TParKind::Int: {
          const int V = P.Int(D.Name);
          FUZZ_CHECK(V >= D.Min - 1e-6 && V <= D.Max + 1e-6);
          break;
        }
        case TParKind::Real: {
          const double V = P.Real(D.Name);
          FUZZ_CHECK(V >= D.Min - 1e-6 && V <= D.Max + 1e-6);
          break;
        }
        case TParKind::Table: {
          const TTable T = P.Table(D.Name);
          FUZZ_CHECK(T.Xs().size() == T.Ys().size() && !T.Empty());
          (void)T(T.Xs().front() - 1);
          (void)T(T.Xs().back() + 1);
          (void)T((T.Xs().front() + T.Xs().back()) / 2);
          break;
        }
      }
    } catch (const EModelError& E) {
      FUZZ_CHECK(!E.Lines().empty());
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const int Kind = Data[0] % 8;
  const std::string Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  static const char* const Names[] = {"KRLTI.TIM", "KRLSI.SIT", "RUNOPT.DAT", "CROP.CRP",
                                      "SOIL.SOL",  "KRLRR.RER", "STN1.981",   "RAIN.DAT"};
  const std::string Name = FuzzWrite(Names[Kind], Text);
  TFileSnapshot Snap;
  Snap.Add(Name);
  try {
    switch (Kind) {
      case 0: AskAll(ReadKeyFile(Name, false, "TIMFIL"), nullptr, "TD"); break;
      case 1: AskAll(ReadKeyFile(Name, false, "SITFIL"), nullptr, "SD"); break;
      case 2: (void)ReadKeyFile(Name, true, "RUNDIR"); break;
      case 3: AskAll(ReadDataFile(Name, "CRFILE"), nullptr, "CF"); break;
      case 4: AskAll(ReadDataFile(Name, "SOFILE"), nullptr, "SF"); break;
      case 5: {
        const std::vector<TRerun> Reruns = ReadRerunFile(Name, "KORRER");
        const TValueSet Empty;
        for (const TRerun& R : Reruns) AskAll(Empty, &R, nullptr);
        break;
      }
      case 6: {
        const TWeatherYear W = ReadWeatherYear(Name, 1981);
        FUZZ_CHECK(static_cast<int>(W.Days.size()) == DaysInYear(1981));
        (void)ReadWeatherFormat(Name);
        break;
      }
      case 7: {
        const TRainFile R = ReadRainFile(Name);
        for (const auto& Y : R.Years) FUZZ_CHECK(static_cast<int>(Y.second.size()) == DaysInYear(Y.first));
        (void)ReadWeatherFormat(Name);
        break;
      }
    }
  } catch (const EModelError& E) {
    FUZZ_CHECK(!E.Lines().empty());
    // The control centre finds the error by the word ERROR in the log.
    FUZZ_CHECK(E.Lines()[0].compare(0, 6, "ERROR ") == 0);
  } catch (const Exception& E) {
    FUZZ_CHECK(!E.Message().empty());
  }
  Snap.Check();
  return 0;
}
