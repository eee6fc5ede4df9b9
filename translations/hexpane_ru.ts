<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ImageFile</name>
    <message>
        <source>There is no picture to save.</source>
        <translation>Нет картинки, которую можно сохранить.</translation>
    </message>
    <message>
        <source>Cannot save %1: there is not enough memory to draw %2.</source>
        <translation>Не удаётся сохранить %1: не хватает памяти, чтобы нарисовать %2.</translation>
    </message>
    <message>
        <source>Cannot save %1: there is not enough memory to draw and encode %2.</source>
        <translation>Не удаётся сохранить %1: не хватает памяти, чтобы нарисовать и закодировать %2.</translation>
    </message>
</context>
<context>
    <name>ImageInput</name>
    <message>
        <source>its compressed pixels stop before their end mark</source>
        <translation>его сжатые пиксели обрываются до метки конца</translation>
    </message>
    <message>
        <source>its compressed pixels run past the end of a row.</source>
        <translation>его сжатые пиксели выходят за конец строки.</translation>
    </message>
    <message>
        <source>its compressed pixels leave %1 of its %2 pixels without a colour.</source>
        <translation>его сжатые пиксели оставляют %1 из %2 пикселей без цвета.</translation>
    </message>
    <message>
        <source>its pixels would start past its end</source>
        <translation>его пиксели начинались бы за его концом</translation>
    </message>
    <message>
        <source>it is cut short: %1.</source>
        <translation>он обрезан: %1.</translation>
    </message>
    <message>
        <source>it has no headers</source>
        <translation>в нём нет заголовков</translation>
    </message>
    <message>
        <source>its headers are incomplete</source>
        <translation>его заголовки неполны</translation>
    </message>
    <message>
        <source>its colour table is incomplete</source>
        <translation>его таблица цветов неполна</translation>
    </message>
    <message>
        <source>its %1x%2 pixels need %3 bytes from byte %4, but it ends at byte %5</source>
        <translation>его пикселям %1x%2 нужно %3 байт начиная с байта %4, но он кончается на байте %5</translation>
    </message>
    <message>
        <source>it has no header</source>
        <translation>в нём нет заголовка</translation>
    </message>
    <message>
        <source>its pixel data stops before its end</source>
        <translation>его данные пикселей обрываются до конца</translation>
    </message>
    <message>
        <source>it is no readable PNG image: %1.</source>
        <translation>это не читаемое изображение PNG: %1.</translation>
    </message>
    <message>
        <source>a pixel has the colour index %1, but its palette has only %2 colours.</source>
        <translation>у пикселя индекс цвета %1, а в палитре только %2 цветов.</translation>
    </message>
    <message>
        <source>pixel (%1, %2) has the colour index %3, but its colour table has only %4 colours.</source>
        <translation>у пикселя (%1, %2) индекс цвета %3, а в таблице цветов только %4 цветов.</translation>
    </message>
    <message>
        <source>picture %1 is %2x%3</source>
        <translation>картинка %1 — %2x%3</translation>
    </message>
    <message>
        <source>picture %1 has no size in %2, so its width times height must be its pixel count, %3</source>
        <translation>у картинки %1 нет размера в %2, поэтому ширина, умноженная на высоту, должна равняться числу её пикселей, %3</translation>
    </message>
    <message>
        <source>cannot read it:
%1</source>
        <translation>не удаётся прочитать:
%1</translation>
    </message>
    <message>
        <source>cannot read it: it is no .bmp or .png image.</source>
        <translation>не удаётся прочитать: это не изображение .bmp или .png.</translation>
    </message>
    <message>
        <source>it is %1x%2, but %3.</source>
        <translation>оно %1x%2, а %3.</translation>
    </message>
    <message>
        <source>its pixels stop before their end</source>
        <translation>его пиксели обрываются до конца</translation>
    </message>
    <message>
        <source>cannot read it as a .%1 image: %2%3</source>
        <translation>не удаётся прочитать как изображение .%1: %2%3</translation>
    </message>
</context>
<context>
    <name>PaneFiles</name>
    <message>
        <source>a %1x%2 picture</source>
        <translation>картинку %1x%2</translation>
    </message>
</context>
<context>
    <name>PatchCopy</name>
    <message>
        <source>The patch changed while it was read; read it again.</source>
        <translation>Патч изменился, пока его читали; прочитайте его заново.</translation>
    </message>
</context>
<context>
    <name>PictureImport</name>
    <message>
        <source>%1 pixel is partly transparent: %2.</source>
        <translation>Пиксели, прозрачные лишь отчасти (%1): %2.</translation>
    </message>
    <message>
        <source>%1 pixels are partly transparent: %2.</source>
        <translation>Пиксели, прозрачные лишь отчасти (%1): %2.</translation>
    </message>
    <message>
        <source>Only fully transparent pixels (C0) and opaque ones can be imported.</source>
        <translation>Перенести можно только полностью прозрачные (C0) и непрозрачные пиксели.</translation>
    </message>
    <message>
        <source>%1 pixel has a colour that no code draws: %2.</source>
        <translation>Пиксели цвета, которого не рисует ни один код (%1): %2.</translation>
    </message>
    <message>
        <source>%1 pixels have a colour that no code draws: %2.</source>
        <translation>Пиксели цвета, которого не рисует ни один код (%1): %2.</translation>
    </message>
    <message>
        <source>The picture&apos;s new text has %1 characters.</source>
        <translation>В новом тексте картинки %1 символов.</translation>
    </message>
    <message>
        <source>%1 changed pixel has no two characters in the patch: %2.</source>
        <translation>Изменённые пиксели без двух символов в патче (%1): %2.</translation>
    </message>
    <message>
        <source>%1 changed pixels have no two characters in the patch: %2.</source>
        <translation>Изменённые пиксели без двух символов в патче (%1): %2.</translation>
    </message>
    <message>
        <source>There is not enough memory to compare a %1x%2 picture.</source>
        <translation>Не хватает памяти, чтобы сравнить картинку %1x%2.</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>a folder</source>
        <translation>папка</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>именованный канал (FIFO)</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>устройство</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>сокет</translation>
    </message>
    <message>
        <source>no regular file</source>
        <translation>не обычный файл</translation>
    </message>
    <message>
        <source>It is %1, not a regular file, so it was not read.</source>
        <translation>Это %1, а не обычный файл, поэтому он не прочитан.</translation>
    </message>
</context>
<context>
    <name>SavedFile</name>
    <message>
        <source>There is not enough memory to save it.</source>
        <translation>Не хватает памяти, чтобы его сохранить.</translation>
    </message>
    <message>
        <source>Saving it was given up.</source>
        <translation>Сохранение прервано.</translation>
    </message>
    <message>
        <source>It is %1, not a regular file, so it was left as it is.</source>
        <translation>Это %1, а не обычный файл, поэтому он оставлен как есть.</translation>
    </message>
    <message>
        <source>It exists, so it was left as it is.</source>
        <translation>Он уже есть, поэтому оставлен как есть.</translation>
    </message>
    <message>
        <source>It is read-only, so it was left as it was.</source>
        <translation>Он только для чтения, поэтому оставлен как был.</translation>
    </message>
    <message>
        <source>The file system cannot set room aside for it</source>
        <translation>Файловая система не может заранее выделить для него место</translation>
    </message>
    <message>
        <source>Cannot save %1:
%2</source>
        <translation>Не удаётся сохранить %1:
%2</translation>
    </message>
    <message>
        <source>It is written in place</source>
        <translation>Он записывается на месте</translation>
    </message>
    <message>
        <source>No new file could be made beside it, so it could only be written in place</source>
        <translation>Рядом с ним не удалось создать новый файл, поэтому его можно было записать только на месте</translation>
    </message>
    <message>
        <source>%1
%2; it was left as it was.</source>
        <translation>%1
%2; он оставлен как был.</translation>
    </message>
</context>
<context>
    <name>StartRequest</name>
    <message>
        <source>Usage: hexpane [FILE.vkp]</source>
        <translation>Запуск: hexpane [ФАЙЛ.vkp]</translation>
    </message>
    <message>
        <source>hexpane does not know the option %1, so it starts without opening a file.</source>
        <translation>hexpane не знает параметра %1, поэтому запускается, не открывая файла.</translation>
    </message>
    <message>
        <source>hexpane opens one patch file at a time, but was given %1:
%2

It starts without opening any of them.</source>
        <translation>hexpane открывает один файл патча за раз, а получено их %1:
%2

Он запускается, не открывая ни одного из них.</translation>
    </message>
</context>
<context>
    <name>TableProblem</name>
    <message>
        <source>line %1: the code &quot;%2&quot; was already given on line %3; the first one is kept</source>
        <translation>строка %1: код &quot;%2&quot; уже был задан в строке %3; оставлен первый</translation>
    </message>
    <message>
        <source>line %1: the width times the height is too large a number; the line is skipped</source>
        <translation>строка %1: ширина, умноженная на высоту, — слишком большое число; строка пропущена</translation>
    </message>
    <message>
        <source>and %1 more repeated code</source>
        <translation>и ещё повторённых кодов: %1</translation>
    </message>
    <message>
        <source>and %1 more repeated codes</source>
        <translation>и ещё повторённых кодов: %1</translation>
    </message>
    <message>
        <source>and %1 more skipped line</source>
        <translation>и ещё пропущенных строк: %1</translation>
    </message>
    <message>
        <source>and %1 more skipped lines</source>
        <translation>и ещё пропущенных строк: %1</translation>
    </message>
    <message>
        <source>the file holds NUL bytes, so it is no plain 8-bit text file (saved as UTF-16, or not a text file at all?)</source>
        <translation>в файле есть байты NUL, так что это не простой 8-битный текстовый файл (сохранён в UTF-16 или вовсе не текст?)</translation>
    </message>
    <message>
        <source>it gives no colour to any pixel code, so every pixel is drawn black</source>
        <translation>в ней нет цвета ни для одного кода пикселя, поэтому каждый пиксель рисуется чёрным</translation>
    </message>
    <message>
        <source>it gives no usable size (a whole width and height of at least 1), so every picture shows Error</source>
        <translation>в ней нет пригодного размера (целых ширины и высоты не меньше 1), поэтому каждая картинка показывает Error</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>файл не удалось прочитать</translation>
    </message>
    <message>
        <source>the file could not be read past line %1</source>
        <translation>файл не удалось прочитать дальше строки %1</translation>
    </message>
    <message>
        <source>the file has a problem</source>
        <translation>с файлом что-то не так</translation>
    </message>
</context>
<context>
    <name>hexpane::Form1</name>
    <message>
        <source>%1 MB</source>
        <translation>%1 МБ</translation>
    </message>
    <message>
        <source>Some of the tables beside the program could not be read as they are; hexpane goes on with what it read.</source>
        <translation>Некоторые таблицы рядом с программой не удалось прочитать как есть; hexpane работает с тем, что прочитал.</translation>
    </message>
    <message>
        <source>Reading %1
%2 of %3</source>
        <translation>Чтение %1
%2 из %3</translation>
    </message>
    <message>
        <source>Cannot read %1:
%2</source>
        <translation>Не удаётся прочитать %1:
%2</translation>
    </message>
    <message>
        <source>The %1x%2 picture cannot be drawn: it is too large for the memory left or for the toolkit&apos;s images.</source>
        <translation>Картинку %1x%2 нельзя нарисовать: она слишком велика для оставшейся памяти или для изображений Qt.</translation>
    </message>
</context>
<context>
    <name>hexpane::PictureActions</name>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Не сохранять</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>The pictures replaced in %1 are not saved. Save the patch with them first?</source>
        <translation>Картинки, заменённые в %1, не сохранены. Сначала сохранить патч с ними?</translation>
    </message>
    <message numerus="yes">
        <source>%n of the files to write are in %1 already.</source>
        <translation>
            <numerusform>%n из записываемых файлов уже есть в %1.</numerusform>
            <numerusform>%n из записываемых файлов уже есть в %1.</numerusform>
            <numerusform>%n из записываемых файлов уже есть в %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace them</source>
        <translation>Заменить их</translation>
    </message>
    <message>
        <source>Keep them</source>
        <translation>Оставить их</translation>
    </message>
    <message>
        <source>Exporting the pictures to %1
%2 of %3</source>
        <translation>Экспорт картинок в %1
%2 из %3</translation>
    </message>
    <message>
        <source>There is not enough memory to write picture %1.</source>
        <translation>Не хватает памяти, чтобы записать картинку %1.</translation>
    </message>
    <message>
        <source>Cannot create the folder %1:
%2</source>
        <translation>Не удаётся создать папку %1:
%2</translation>
    </message>
    <message numerus="yes">
        <source>%n files written to %1.</source>
        <translation>
            <numerusform>В %1 записан %n файл.</numerusform>
            <numerusform>В %1 записано %n файла.</numerusform>
            <numerusform>В %1 записано %n файлов.</numerusform>
        </translation>
    </message>
    <message>
        <source>The export was cancelled: the pictures after these were not written.</source>
        <translation>Экспорт отменён: картинки после этих не записаны.</translation>
    </message>
    <message numerus="yes">
        <source>%n files that were there already were kept as they are.</source>
        <translation>
            <numerusform>%n файл, который там уже был, оставлен как есть.</numerusform>
            <numerusform>%n файла, которые там уже были, оставлены как есть.</numerusform>
            <numerusform>%n файлов, которые там уже были, оставлены как есть.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n pictures have no known size, so no file was written for them:</source>
        <translation>
            <numerusform>У %n картинки нет известного размера, поэтому для неё не записано файлов:</numerusform>
            <numerusform>У %n картинок нет известного размера, поэтому для них не записано файлов:</numerusform>
            <numerusform>У %n картинок нет известного размера, поэтому для них не записано файлов:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Изображения</translation>
    </message>
    <message>
        <source>Picture %1 cannot be replaced from %2:
%3</source>
        <translation>Картинку %1 нельзя заменить изображением %2:
%3</translation>
    </message>
    <message>
        <source>Give each of them the code of the nearest colour?</source>
        <translation>Дать каждому из них код ближайшего цвета?</translation>
    </message>
    <message>
        <source>Use the nearest colours</source>
        <translation>Взять ближайшие цвета</translation>
    </message>
    <message>
        <source>%1 draws picture %2 as it is: nothing was changed.</source>
        <translation>%1 рисует картинку %2 такой, какая она есть: ничего не изменено.</translation>
    </message>
    <message>
        <source>Saving %1
%2 %</source>
        <translation>Сохранение %1
%2 %</translation>
    </message>
    <message>
        <source>Picture %1 cannot be replaced:
%2</source>
        <translation>Картинку %1 не удаётся заменить:
%2</translation>
    </message>
</context>
<context>
    <name>hexpane::PictureMenu</name>
    <message>
        <source>Guessed sizes</source>
        <translation>Подобранные размеры</translation>
    </message>
    <message>
        <source>Replace picture from image…</source>
        <translation>Заменить картинку изображением…</translation>
    </message>
    <message>
        <source>Undo replacement</source>
        <translation>Отменить замену</translation>
    </message>
    <message>
        <source>Save patch as…</source>
        <translation>Сохранить патч как…</translation>
    </message>
    <message>
        <source>Export all pictures…</source>
        <translation>Экспортировать все картинки…</translation>
    </message>
    <message>
        <source>Copy picture</source>
        <translation>Копировать картинку</translation>
    </message>
    <message>
        <source>In the size table</source>
        <translation>В таблице размеров</translation>
    </message>
    <message>
        <source>No size has this pixel count</source>
        <translation>Нет размера с таким числом пикселей</translation>
    </message>
</context>
<context>
    <name>hexpane::ProgressDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
</TS>
