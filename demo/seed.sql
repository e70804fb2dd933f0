-- The demo course "Основы информатики": its lessons and the teacher's editing password.
-- Paths are relative to the course folder, with "\" separators; NULL where a lesson has no file.
-- Each lesson title equals a topic of log.log.

INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Введение в информатику', 'lessons\intro.mht', NULL, NULL, NULL,
     'sounds\melody.mid', 'sounds\intro.wav', NULL);
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Информация и её свойства', 'lessons\info.htm', 'pictures\info.jpg', NULL, NULL,
     NULL, NULL, NULL);
-- The picture field was cleared in the lesson editor: an empty text, which names no file.
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Единицы измерения информации', 'lessons\units.htm', '', NULL, 'tests\t1\1.htm',
     NULL, NULL, NULL);
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Устройство компьютера', 'lessons\computer.mht', 'pictures\shema.wmf', 'video\computer.avi',
     NULL, NULL, NULL, NULL);
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Архитектура фон Неймана', 'lessons\neumann.htm', 'pictures\neumann.bmp', NULL, NULL,
     NULL, NULL, NULL);
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Периферийные устройства', 'lessons\devices.htm', 'pictures\devices.jpg', NULL, NULL,
     'sounds\melody.mid', NULL, NULL);
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Системы счисления', 'lessons\numbers.mht', NULL, NULL, 'tests\t1\1.htm',
     NULL, NULL, 'programs\calc');
INSERT INTO urok (urok, htm, jpg, avi, test, mid, wav, exe) VALUES
    ('Двоичная система счисления', 'lessons\binary.htm', NULL, NULL, 'tests\t1\otwet.txt',
     NULL, NULL, 'programs\calc');

INSERT INTO pas (pas) VALUES ('учитель');
