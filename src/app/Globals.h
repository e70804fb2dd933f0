#pragma once

// The nine objects of a run, each created once at start-up and reached through its global
// reference until the end of the run.
class TForm6;
class TForm1;
class TForm13;
class TForm4;
class TDataModule2;
class TForm3;
class TForm5;
class TForm7;
class TForm8;

extern TForm6* Form6;
extern TForm1* Form1;
extern TForm13* Form13;
extern TForm4* Form4;
extern TDataModule2* DataModule2;
extern TForm3* Form3;
extern TForm5* Form5;
extern TForm7* Form7;
extern TForm8* Form8;
