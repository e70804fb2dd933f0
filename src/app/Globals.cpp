#include "Globals.h"

TForm6* Form6 = nullptr;
TForm1* Form1 = nullptr;
TForm13* Form13 = nullptr;
TForm4* Form4 = nullptr;
TDataModule2* DataModule2 = nullptr;
TForm3* Form3 = nullptr;
TForm5* Form5 = nullptr;
TForm7* Form7 = nullptr;
TForm8* Form8 = nullptr;
