<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ACS_Classes</name>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The input could not be opened</source>
        <translation>Die Eingabe konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The file %1 is not in a format that can be read</source>
        <translation>Die Datei %1 hat kein lesbares Format</translation>
    </message>
    <message>
        <source>(stream)</source>
        <translation>(Datenstrom)</translation>
    </message>
    <message>
        <source>Unknown failure in the output thread</source>
        <translation>Unbekannter Fehler im Ausgabe-Thread</translation>
    </message>
</context>
<context>
    <name>ACS_Wave</name>
    <message>
        <source>%1 is cut short: its header gives %2 bytes of audio, the file holds %3</source>
        <translation>%1 ist abgeschnitten: Der Kopf nennt %2 Bytes Audiodaten, die Datei enthält %3</translation>
    </message>
    <message>
        <source>Cannot read file %1: %2</source>
        <translation>Die Datei %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot write file %1: %2</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The input delivers no PCM that can be written</source>
        <translation>Die Eingabe liefert kein PCM, das geschrieben werden kann</translation>
    </message>
    <message>
        <source>Cannot write file %1: a WAV file cannot hold %2 channels of %3 bits at %4 Hz</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: Eine WAV-Datei kann keine %2 Kanäle mit %3 Bit bei %4 Hz aufnehmen</translation>
    </message>
    <message>
        <source>Cannot write file %1: %2 bytes of audio are more than its WAV header can hold</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2 Bytes Audiodaten sind mehr, als ihr WAV-Kopf fassen kann</translation>
    </message>
</context>
<context>
    <name>Helpers</name>
    <message>
        <source>Cannot rename %1 to %2: %3</source>
        <translation>%1 kann nicht in %2 umbenannt werden: %3</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <source>%1

Replace them all, skip their tracks, or cancel the rip?</source>
        <translation>%1

Alle ersetzen, ihre Titel überspringen oder das Rippen abbrechen?</translation>
    </message>
    <message>
        <source>&amp;Replace All</source>
        <translation>Alle &amp;ersetzen</translation>
    </message>
    <message>
        <source>&amp;Skip Their Tracks</source>
        <translation>Ihre Titel ü&amp;berspringen</translation>
    </message>
    <message>
        <source>&amp;Cancel the Rip</source>
        <translation>Rippen &amp;abbrechen</translation>
    </message>
</context>
<context>
    <name>TArLookup</name>
    <message>
        <source>the answer of the AccurateRip database is not a list of checksums</source>
        <translation>die Antwort der AccurateRip-Datenbank ist keine Liste von Prüfsummen</translation>
    </message>
</context>
<context>
    <name>TArVerdict</name>
    <message>
        <source>not checked</source>
        <translation>nicht geprüft</translation>
    </message>
    <message>
        <source>accurate (confidence %1)</source>
        <translation>exakt (Konfidenz %1)</translation>
    </message>
    <message>
        <source>not accurate</source>
        <translation>nicht exakt</translation>
    </message>
    <message>
        <source>not in database</source>
        <translation>nicht in der Datenbank</translation>
    </message>
    <message>
        <source>silent: cannot be verified</source>
        <translation>still: nicht überprüfbar</translation>
    </message>
</context>
<context>
    <name>TAsfAttributes</name>
    <message>
        <source>not an ASF file</source>
        <translation>keine ASF-Datei</translation>
    </message>
    <message>
        <source>the ASF header has an impossible size</source>
        <translation>der ASF-Kopf hat eine unmögliche Größe</translation>
    </message>
    <message>
        <source>the ASF header is cut short</source>
        <translation>der ASF-Kopf ist abgeschnitten</translation>
    </message>
    <message>
        <source>the ASF header is damaged</source>
        <translation>der ASF-Kopf ist beschädigt</translation>
    </message>
    <message>
        <source>the ASF attributes are damaged</source>
        <translation>die ASF-Attribute sind beschädigt</translation>
    </message>
</context>
<context>
    <name>TAtomicFile</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TAudioDeviceSink</name>
    <message>
        <source>The sound device could not be opened.</source>
        <translation>Das Audiogerät konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The sound device stopped taking audio.</source>
        <translation>Das Audiogerät nimmt keine Audiodaten mehr an.</translation>
    </message>
    <message>
        <source>The sound device failed.</source>
        <translation>Das Audiogerät ist ausgefallen.</translation>
    </message>
    <message>
        <source>No sound device: no sound output is available (is a sound server such as PulseAudio running?).</source>
        <translation>Kein Audiogerät: Es ist keine Tonausgabe verfügbar (läuft ein Soundserver wie PulseAudio?).</translation>
    </message>
    <message>
        <source>The sound device &quot;%1&quot; does not take 16-bit stereo 44100 Hz audio.</source>
        <translation>Das Audiogerät &quot;%1&quot; nimmt kein 16-Bit-Stereo mit 44100 Hz an.</translation>
    </message>
    <message>
        <source>The sound device &quot;%1&quot; could not be opened.</source>
        <translation>Das Audiogerät &quot;%1&quot; konnte nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>TCDRipThread</name>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>TCdPlayer</name>
    <message>
        <source>No drive is open.</source>
        <translation>Es ist kein Laufwerk geöffnet.</translation>
    </message>
    <message>
        <source>The drive was closed while it played.</source>
        <translation>Das Laufwerk wurde während der Wiedergabe geschlossen.</translation>
    </message>
    <message>
        <source>There is no disc in the drive any more.</source>
        <translation>Im Laufwerk ist keine CD mehr.</translation>
    </message>
    <message>
        <source>Sector %1 lies beyond the end of the disc.</source>
        <translation>Sektor %1 liegt hinter dem Ende der CD.</translation>
    </message>
    <message>
        <source>Sector %1 of the disc could not be read.</source>
        <translation>Sektor %1 der CD konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Nothing to play between sectors %1 and %2.</source>
        <translation>Zwischen den Sektoren %1 und %2 gibt es nichts abzuspielen.</translation>
    </message>
</context>
<context>
    <name>TCddbClient</name>
    <message>
        <source>The answer of the CDDB server was cut short (its final &quot;.&quot; line is missing).</source>
        <translation>Die Antwort des CDDB-Servers wurde abgeschnitten (ihre letzte Zeile &quot;.&quot; fehlt).</translation>
    </message>
    <message>
        <source>The CDDB server &apos;%1&apos; has an invalid port.</source>
        <translation>Der CDDB-Server &apos;%1&apos; hat einen ungültigen Port.</translation>
    </message>
    <message>
        <source>The CDDB server &apos;%1&apos; is not a valid host name.</source>
        <translation>Der CDDB-Server &apos;%1&apos; ist kein gültiger Hostname.</translation>
    </message>
    <message>
        <source>A proxy is to be used but no proxy address is set.</source>
        <translation>Ein Proxy soll verwendet werden, aber es ist keine Proxy-Adresse eingetragen.</translation>
    </message>
    <message>
        <source>The lookup was stopped.</source>
        <translation>Die Abfrage wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The table of contents cannot be used for a CDDB query.</source>
        <translation>Das Inhaltsverzeichnis kann nicht für eine CDDB-Abfrage verwendet werden.</translation>
    </message>
    <message>
        <source>The match &apos;%1 %2&apos; is not a valid CDDB entry.</source>
        <translation>Der Treffer &apos;%1 %2&apos; ist kein gültiger CDDB-Eintrag.</translation>
    </message>
    <message>
        <source>The CDDB server sent an empty answer.</source>
        <translation>Der CDDB-Server hat eine leere Antwort gesendet.</translation>
    </message>
    <message>
        <source>The CDDB server sent a match that cannot be read: %1</source>
        <translation>Der CDDB-Server hat einen unlesbaren Treffer gesendet: %1</translation>
    </message>
    <message>
        <source>The answer is not a CDDB answer: %1</source>
        <translation>Die Antwort ist keine CDDB-Antwort: %1</translation>
    </message>
    <message>
        <source>The CDDB server refused the query: %1</source>
        <translation>Der CDDB-Server hat die Abfrage abgelehnt: %1</translation>
    </message>
    <message>
        <source>The CDDB server could not send the record: %1</source>
        <translation>Der CDDB-Server konnte den Eintrag nicht senden: %1</translation>
    </message>
</context>
<context>
    <name>TCodecLibrary</name>
    <message>
        <source>%1 library could not be loaded.</source>
        <translation>Die Bibliothek %1 konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>%1 lacks the entry point %2</source>
        <translation>%1 fehlt der Einsprungpunkt %2</translation>
    </message>
</context>
<context>
    <name>TConvertJob</name>
    <message>
        <source>%1 has the name of an earlier file of the batch: it is converted into %2</source>
        <translation>%1 hat den Namen einer früheren Datei des Stapels: sie wird in %2 umgewandelt</translation>
    </message>
    <message>
        <source>%1 exists already. Replace it?</source>
        <translation>%1 gibt es schon. Soll die Datei ersetzt werden?</translation>
    </message>
    <message numerus="yes">
        <source>Converted %1, skipped %2, failed %3, damaged %4 of %n files</source>
        <translation>
            <numerusform>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3, beschädigt: %4 von %n Datei</numerusform>
            <numerusform>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3, beschädigt: %4 von %n Dateien</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Converted %1, skipped %2, failed %3 of %n files</source>
        <translation>
            <numerusform>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3 von %n Datei</numerusform>
            <numerusform>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3 von %n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>The conversion was stopped: its files have no album gain.</source>
        <translation>Die Umwandlung wurde abgebrochen: ihre Dateien haben keine Album-Verstärkung.</translation>
    </message>
    <message>
        <source>The conversion was stopped while the album gain was written: %1 of %2 files have it.</source>
        <translation>Die Umwandlung wurde abgebrochen, während die Album-Verstärkung geschrieben wurde: %1 von %2 Dateien haben sie.</translation>
    </message>
</context>
<context>
    <name>TConvertLane</name>
    <message>
        <source>%1; what could be read is kept in %2</source>
        <translation>%1; was gelesen werden konnte, steht in %2</translation>
    </message>
    <message>
        <source>%1 would be written over itself</source>
        <translation>%1 würde sich selbst überschreiben</translation>
    </message>
</context>
<context>
    <name>TCoverCheck</name>
    <message>
        <source>the JPEG data ends before its end marker (EOI); it was cut short</source>
        <translation>die JPEG-Daten enden vor ihrer Endmarke (EOI); sie wurden abgeschnitten</translation>
    </message>
    <message>
        <source>the PNG data ends inside a chunk; it was cut short</source>
        <translation>die PNG-Daten enden innerhalb eines Blocks; sie wurden abgeschnitten</translation>
    </message>
    <message>
        <source>a PNG chunk (%1) fails its CRC check</source>
        <translation>ein PNG-Block (%1) besteht die CRC-Prüfung nicht</translation>
    </message>
    <message>
        <source>the PNG data goes on after its end chunk (IEND)</source>
        <translation>die PNG-Daten gehen nach ihrem Endblock (IEND) weiter</translation>
    </message>
    <message>
        <source>the PNG data ends before its end chunk (IEND); it was cut short</source>
        <translation>die PNG-Daten enden vor ihrem Endblock (IEND); sie wurden abgeschnitten</translation>
    </message>
    <message>
        <source>the data is no JPEG or PNG picture</source>
        <translation>die Daten sind kein JPEG- oder PNG-Bild</translation>
    </message>
    <message>
        <source>the picture is %1 x %2 pixels, larger than %3 x %3</source>
        <translation>das Bild hat %1 x %2 Pixel, mehr als %3 x %3</translation>
    </message>
    <message>
        <source>the picture cannot be decoded: %1</source>
        <translation>das Bild kann nicht dekodiert werden: %1</translation>
    </message>
</context>
<context>
    <name>TCueImage</name>
    <message>
        <source>%1 is not a CUE sheet (it holds binary data)</source>
        <translation>%1 ist kein CUE-Sheet (die Datei enthält Binärdaten)</translation>
    </message>
    <message>
        <source>%1 is not a CUE sheet that can be used: %2</source>
        <translation>%1 ist kein verwendbares CUE-Sheet: %2</translation>
    </message>
    <message>
        <source>%1 is not a CUE sheet (line %2 begins with &quot;%3&quot;)</source>
        <translation>%1 ist kein CUE-Sheet (Zeile %2 beginnt mit &quot;%3&quot;)</translation>
    </message>
    <message>
        <source>%1, line %2: unknown command &quot;%3&quot;</source>
        <translation>%1, Zeile %2: unbekannter Befehl &quot;%3&quot;</translation>
    </message>
    <message>
        <source>line %1 is no REM SESSION with a number from 1 to 99</source>
        <translation>Zeile %1 ist kein REM SESSION mit einer Zahl von 1 bis 99</translation>
    </message>
    <message>
        <source>line %1 names no file and type</source>
        <translation>Zeile %1 nennt keine Datei und keinen Typ</translation>
    </message>
    <message>
        <source>the FILE line on line %1 has no INDEX lines</source>
        <translation>die FILE-Angabe in Zeile %1 hat keine INDEX-Zeilen</translation>
    </message>
    <message>
        <source>line %1 is no TRACK number and type</source>
        <translation>Zeile %1 ist keine TRACK-Nummer mit Typ</translation>
    </message>
    <message>
        <source>track number %1 on line %2 is outside 1 to 99</source>
        <translation>die Titelnummer %1 in Zeile %2 liegt nicht zwischen 1 und 99</translation>
    </message>
    <message>
        <source>track %1 on line %2 follows track %3 (tracks are numbered one after the other)</source>
        <translation>Titel %1 in Zeile %2 folgt auf Titel %3 (Titel werden fortlaufend nummeriert)</translation>
    </message>
    <message>
        <source>track %1 on line %2 comes before any FILE line</source>
        <translation>Titel %1 in Zeile %2 steht vor jeder FILE-Zeile</translation>
    </message>
    <message>
        <source>track %1 on line %2 has an unknown mode &quot;%3&quot;</source>
        <translation>Titel %1 in Zeile %2 hat einen unbekannten Modus &quot;%3&quot;</translation>
    </message>
    <message>
        <source>%1: track %2 has no INDEX 01</source>
        <translation>%1: Titel %2 hat keinen INDEX 01</translation>
    </message>
    <message>
        <source>line %1 is no %2 with a time mm:ss:ff</source>
        <translation>Zeile %1 ist kein %2 mit einer Zeit mm:ss:ff</translation>
    </message>
    <message>
        <source>line %1 comes before any TRACK line</source>
        <translation>Zeile %1 steht vor jeder TRACK-Zeile</translation>
    </message>
    <message>
        <source>%1: track %2 has its INDEX %3 after its INDEX 01</source>
        <translation>%1: Titel %2 hat seinen INDEX %3 nach seinem INDEX 01</translation>
    </message>
    <message>
        <source>%1: track %2 has its INDEX %3 before its INDEX 01</source>
        <translation>%1: Titel %2 hat seinen INDEX %3 vor seinem INDEX 01</translation>
    </message>
    <message>
        <source>track %1 has a second INDEX %2 on line %3</source>
        <translation>Titel %1 hat in Zeile %3 einen zweiten INDEX %2</translation>
    </message>
    <message>
        <source>%1 is not a CUE sheet: it names no tracks</source>
        <translation>%1 ist kein CUE-Sheet: es nennt keine Titel</translation>
    </message>
    <message>
        <source>%1: track %2 has its INDEX %3 before its INDEX %4</source>
        <translation>%1: Titel %2 hat seinen INDEX %3 vor seinem INDEX %4</translation>
    </message>
    <message>
        <source>%1: track %2 starts at %3 in %4, not after track %5 (%6): track starts must increase</source>
        <translation>%1: Titel %2 beginnt bei %3 in %4, nicht nach Titel %5 (%6): Titelanfänge müssen aufsteigen</translation>
    </message>
    <message>
        <source>Track %1 is cut: %2 ends at %3, before the track starts at %4 as %5 says</source>
        <translation>Titel %1 ist abgeschnitten: %2 endet bei %3, bevor der Titel bei %4 beginnt, wie %5 angibt</translation>
    </message>
</context>
<context>
    <name>TDecodedFileSource</name>
    <message>
        <source>%1 cannot be decoded: %2</source>
        <translation>%1 kann nicht dekodiert werden: %2</translation>
    </message>
    <message>
        <source>%1 holds %2 audio at %3 Hz mono, not CD audio: a disc image needs 44100 Hz stereo; convert the file instead</source>
        <translation>%1 enthält %2-Audio mit %3 Hz mono, kein CD-Audio: Ein CD-Abbild braucht 44100 Hz stereo; die Datei stattdessen umwandeln</translation>
    </message>
    <message>
        <source>%1 holds %2 audio at %3 Hz stereo, not CD audio: a disc image needs 44100 Hz stereo; convert the file instead</source>
        <translation>%1 enthält %2-Audio mit %3 Hz stereo, kein CD-Audio: Ein CD-Abbild braucht 44100 Hz stereo; die Datei stattdessen umwandeln</translation>
    </message>
    <message>
        <source>%1 holds %2 audio at %3 Hz in %4 channels, not CD audio: a disc image needs 44100 Hz stereo; convert the file instead</source>
        <translation>%1 enthält %2-Audio mit %3 Hz in %4 Kanälen, kein CD-Audio: Ein CD-Abbild braucht 44100 Hz stereo; die Datei stattdessen umwandeln</translation>
    </message>
    <message>
        <source>%1 does not say how long it is</source>
        <translation>%1 gibt seine Länge nicht an</translation>
    </message>
    <message>
        <source>%1 cannot be read from sample %2</source>
        <translation>%1 kann ab Sample %2 nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 ends before the disc image does</source>
        <translation>%1 endet vor dem Ende des CD-Abbilds</translation>
    </message>
</context>
<context>
    <name>TDiscImage</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>es ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>it is a FIFO, not a file</source>
        <translation>es ist ein FIFO, keine Datei</translation>
    </message>
    <message>
        <source>it is a socket, not a file</source>
        <translation>es ist ein Socket, keine Datei</translation>
    </message>
    <message>
        <source>it is a device, not a file</source>
        <translation>es ist ein Gerät, keine Datei</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>The disc image %1 cannot be opened: %2</source>
        <translation>Das CD-Abbild %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>The disc image %1 cannot be used: %2</source>
        <translation>Das CD-Abbild %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a disc image that can be used (it is %2 bytes long)</source>
        <translation>%1 ist kein verwendbares CD-Abbild (es ist %2 Bytes lang)</translation>
    </message>
    <message>
        <source>The file %1 that %2 names cannot be opened: %3</source>
        <translation>Die Datei %1, die %2 nennt, kann nicht geöffnet werden: %3</translation>
    </message>
    <message>
        <source>The file that %1 names cannot be opened: %2</source>
        <translation>Die Datei, die %1 nennt, kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 describes gaps that put the disc&apos;s lead-out at %2, past the 99:59:74 a CD can reach</source>
        <translation>%1 beschreibt Pausen, die das Ende der CD (Lead-out) auf %2 legen, hinter die 99:59:74, die eine CD erreichen kann</translation>
    </message>
    <message>
        <source>Sectors %1 to %2 lie outside the disc image</source>
        <translation>Die Sektoren %1 bis %2 liegen außerhalb des CD-Abbilds</translation>
    </message>
    <message>
        <source>Sector %1 belongs to a data track</source>
        <translation>Sektor %1 gehört zu einem Datentitel</translation>
    </message>
</context>
<context>
    <name>TDiscSession</name>
    <message>
        <source>No CD drive found.</source>
        <translation>Kein CD-Laufwerk gefunden.</translation>
    </message>
    <message>
        <source>CD device information error in your configuration!</source>
        <translation>Die Angaben zum CD-Laufwerk in den Einstellungen sind fehlerhaft!</translation>
    </message>
    <message>
        <source>Can not get CD device information!</source>
        <translation>Die Angaben des CD-Laufwerks lassen sich nicht lesen!</translation>
    </message>
    <message>
        <source>Can not find audio CD in your CD device.</source>
        <translation>Im CD-Laufwerk ist keine Audio-CD.</translation>
    </message>
</context>
<context>
    <name>TEncodeStep</name>
    <message>
        <source>Unknown output format %1</source>
        <translation>Unbekanntes Ausgabeformat %1</translation>
    </message>
    <message>
        <source>Cannot create a file beside %1: %2</source>
        <translation>Neben %1 kann keine Datei angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>TEncoderConfig</name>
    <message>
        <source>Unknown output format %1</source>
        <translation>Unbekanntes Ausgabeformat %1</translation>
    </message>
</context>
<context>
    <name>TFLACOut</name>
    <message>
        <source>FLAC encoding needs 8-, 16- or 24-bit samples; the input has %1 bits.</source>
        <translation>FLAC-Kodierung braucht Samples mit 8, 16 oder 24 Bit; die Eingabe hat %1 Bit.</translation>
    </message>
</context>
<context>
    <name>TFfmpegReader</name>
    <message>
        <source>FFmpeg cannot open %1</source>
        <translation>FFmpeg kann %1 nicht öffnen</translation>
    </message>
    <message>
        <source>No stream to read</source>
        <translation>Kein Datenstrom zum Lesen</translation>
    </message>
    <message>
        <source>FFmpeg cannot open the stream</source>
        <translation>FFmpeg kann den Datenstrom nicht öffnen</translation>
    </message>
    <message>
        <source>The file cannot be read again from its start</source>
        <translation>Die Datei kann nicht noch einmal von Anfang an gelesen werden</translation>
    </message>
    <message>
        <source>The file holds no audio</source>
        <translation>Die Datei enthält keine Audiodaten</translation>
    </message>
    <message>
        <source>No decoder for the audio of this file</source>
        <translation>Kein Decoder für die Audiodaten dieser Datei</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Cannot convert the decoded audio</source>
        <translation>Die dekodierten Audiodaten können nicht umgewandelt werden</translation>
    </message>
    <message>
        <source>The audio data is damaged beyond use</source>
        <translation>Die Audiodaten sind unbrauchbar beschädigt</translation>
    </message>
</context>
<context>
    <name>TFfmpegWriter</name>
    <message>
        <source>The %1 muxer is not available</source>
        <translation>Der Muxer %1 ist nicht verfügbar</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Die Datei %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>No encoder %1 in this FFmpeg</source>
        <translation>Dieses FFmpeg hat keinen Kodierer %1</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genug Arbeitsspeicher</translation>
    </message>
    <message>
        <source>The encoder refuses %1</source>
        <translation>Der Kodierer lehnt %1 ab</translation>
    </message>
    <message>
        <source>Cannot add the audio stream</source>
        <translation>Der Audiodatenstrom kann nicht hinzugefügt werden</translation>
    </message>
    <message>
        <source>Unsupported PCM input: %1 channels, %2 Hz, %3 bits</source>
        <translation>Nicht unterstützte PCM-Eingabe: %1 Kanäle, %2 Hz, %3 Bit</translation>
    </message>
    <message>
        <source>Cannot convert the PCM input</source>
        <translation>Die PCM-Eingabe kann nicht umgewandelt werden</translation>
    </message>
    <message>
        <source>Cannot write file %1</source>
        <translation>Die Datei %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The %1 encoder failed</source>
        <translation>Der Kodierer %1 ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cannot complete the file %1</source>
        <translation>Die Datei %1 kann nicht fertiggestellt werden</translation>
    </message>
</context>
<context>
    <name>TFileClaim</name>
    <message>
        <source>Cannot rename %1 to %2: %3</source>
        <translation>%1 kann nicht in %2 umbenannt werden: %3</translation>
    </message>
</context>
<context>
    <name>TFileIo</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1 in %2: %3</source>
        <translation>%1 kann nicht in %2 geschrieben werden: %3</translation>
    </message>
</context>
<context>
    <name>TFileSink</name>
    <message>
        <source>Cannot create file %1: %2</source>
        <translation>Die Datei %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot write file %1: %2</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>THttpGet</name>
    <message>
        <source>proxy</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>CDDB server</source>
        <translation>CDDB-Server</translation>
    </message>
    <message>
        <source>it names no host</source>
        <translation>sie nennt keinen Host</translation>
    </message>
    <message>
        <source>The %1 address &apos;%2&apos; is not valid: %3.</source>
        <translation>Die Adresse &apos;%2&apos; (%1) ist ungültig: %3.</translation>
    </message>
    <message>
        <source>The answer of the %1 %2 is larger than %3 KiB.</source>
        <translation>Die Antwort von %1 %2 ist größer als %3 KiB.</translation>
    </message>
    <message>
        <source>The %1 %2 did not answer within %3 seconds.</source>
        <translation>Keine Antwort von %1 %2 innerhalb von %3 Sekunden.</translation>
    </message>
    <message>
        <source>The %1 %2 redirected more than %3 times (a redirect loop).</source>
        <translation>Mehr als %3 Umleitungen von %1 %2 (eine Umleitungsschleife).</translation>
    </message>
    <message>
        <source>The %1 %2 redirected from HTTPS to plain HTTP, which is not followed.</source>
        <translation>Eine Umleitung von %1 %2 führt von HTTPS zu unverschlüsseltem HTTP und wird nicht befolgt.</translation>
    </message>
    <message>
        <source>The %1 %2 answered HTTP %3.</source>
        <translation>Antwort von %1 %2: HTTP %3.</translation>
    </message>
    <message>
        <source>The answer of the %1 %2 was cut short.</source>
        <translation>Die Antwort von %1 %2 wurde abgeschnitten.</translation>
    </message>
    <message>
        <source>The %1 %2 closed the connection without an answer.</source>
        <translation>Die Verbindung zu %1 %2 wurde ohne Antwort geschlossen.</translation>
    </message>
    <message>
        <source>Cannot reach the %1 %2: %3.</source>
        <translation>%1 %2 ist nicht erreichbar: %3.</translation>
    </message>
    <message>
        <source>The %1 %2 sent an invalid HTTP answer.</source>
        <translation>Ungültige HTTP-Antwort von %1 %2.</translation>
    </message>
    <message>
        <source>MusicBrainz server</source>
        <translation>MusicBrainz-Server</translation>
    </message>
    <message>
        <source>cover art server</source>
        <translation>Titelbild-Server</translation>
    </message>
    <message>
        <source>AccurateRip database</source>
        <translation>AccurateRip-Datenbank</translation>
    </message>
</context>
<context>
    <name>TIniFile</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>TJob</name>
    <message>
        <source>The output folder %1 does not exist. Make it?</source>
        <translation>Der Ausgabeordner %1 existiert nicht. Soll er angelegt werden?</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
</context>
<context>
    <name>TLameEncoder</name>
    <message>
        <source>MP3 encoding failed: the output buffer was too small.</source>
        <translation>MP3-Kodierung fehlgeschlagen: Der Ausgabepuffer war zu klein.</translation>
    </message>
    <message>
        <source>MP3 encoding failed: the encoder ran out of memory.</source>
        <translation>MP3-Kodierung fehlgeschlagen: Dem Kodierer ging der Speicher aus.</translation>
    </message>
    <message>
        <source>MP3 encoding failed: the encoder was not set up.</source>
        <translation>MP3-Kodierung fehlgeschlagen: Der Kodierer war nicht eingerichtet.</translation>
    </message>
    <message>
        <source>MP3 encoding failed: psychoacoustic analysis failed.</source>
        <translation>MP3-Kodierung fehlgeschlagen: Die psychoakustische Analyse ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>MP3 encoding failed (LAME error %1).</source>
        <translation>MP3-Kodierung fehlgeschlagen (LAME-Fehler %1).</translation>
    </message>
</context>
<context>
    <name>TLookupJob</name>
    <message>
        <source>No match found. Perhaps:
1. The CDDB server has no information on this disc.
2. The CDDB options are wrong.
3. The network is down.</source>
        <translation>Kein Treffer gefunden. Mögliche Gründe:
1. Der CDDB-Server hat keine Angaben zu dieser CD.
2. Die CDDB-Einstellungen sind falsch.
3. Das Netzwerk ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>Error while reading TOC information!</source>
        <translation>Fehler beim Lesen des Inhaltsverzeichnisses!</translation>
    </message>
    <message>
        <source>The CDDB server asks for your e-mail address and may refuse programs that send none. Enter it in the lookup dialog or the options, or: sondrel-cli settings --set QueryCDDB.Email=you@example.org</source>
        <translation>Der CDDB-Server fragt nach Ihrer E-Mail-Adresse und kann Programme abweisen, die keine angeben. Sie kann im Abfragedialog, in den Einstellungen oder so eingetragen werden: sondrel-cli settings --set QueryCDDB.Email=you@example.org</translation>
    </message>
    <message>
        <source>Querying %1 ...</source>
        <translation>%1 wird abgefragt ...</translation>
    </message>
    <message>
        <source>The table of contents gives no MusicBrainz disc id.</source>
        <translation>Aus dem Inhaltsverzeichnis ergibt sich keine MusicBrainz-Disc-ID.</translation>
    </message>
    <message>
        <source>The MusicBrainz lookup failed: %1</source>
        <translation>Die MusicBrainz-Abfrage ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>MusicBrainz knows no release with this disc (disc id %1). It can be added at:
%2</source>
        <translation>MusicBrainz kennt keine Veröffentlichung mit dieser CD (Disc-ID %1). Sie kann hier hinzugefügt werden:
%2</translation>
    </message>
    <message>
        <source>No release was chosen.</source>
        <translation>Es wurde keine Veröffentlichung gewählt.</translation>
    </message>
    <message>
        <source>The MusicBrainz release holds no track titles for this disc.</source>
        <translation>Die MusicBrainz-Veröffentlichung enthält keine Titel für diese CD.</translation>
    </message>
    <message>
        <source>Fetching the front cover ...</source>
        <translation>Das Titelbild wird geladen ...</translation>
    </message>
    <message>
        <source>The cover art server sent no usable picture (%1); the files go without a cover.</source>
        <translation>Der Titelbild-Server hat kein brauchbares Bild gesendet (%1); die Dateien bleiben ohne Titelbild.</translation>
    </message>
    <message>
        <source>The cover archive has no front cover for this release.</source>
        <translation>Das Titelbild-Archiv hat kein Titelbild für diese Veröffentlichung.</translation>
    </message>
    <message>
        <source>%1 The files go without a cover.</source>
        <translation>%1 Die Dateien bleiben ohne Titelbild.</translation>
    </message>
    <message>
        <source>The CDDB query failed: %1</source>
        <translation>Die CDDB-Abfrage ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>The CDDB records hold no track titles for this disc.</source>
        <translation>Die CDDB-Einträge enthalten keine Titel für diese CD.</translation>
    </message>
    <message>
        <source>The CDDB record could not be read: %1</source>
        <translation>Der CDDB-Eintrag konnte nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>TMACOut</name>
    <message>
        <source>Cannot write file %1: %2</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TMP3Out</name>
    <message>
        <source>MP3 encoding needs mono or stereo input of 8, 16 or 24 bits; the input has %1 channels of %2 bits.</source>
        <translation>MP3-Kodierung braucht eine Mono- oder Stereo-Eingabe mit 8, 16 oder 24 Bit; die Eingabe hat %1 Kanäle mit %2 Bit.</translation>
    </message>
</context>
<context>
    <name>TMp3DataDecoder</name>
    <message>
        <source>The MP3 decoder is not available</source>
        <translation>Der MP3-Decoder ist nicht verfügbar</translation>
    </message>
    <message>
        <source>The MPEG Layer-3 data changes its format midway</source>
        <translation>Die MPEG-Layer-3-Daten ändern mittendrin ihr Format</translation>
    </message>
    <message>
        <source>The file cannot be read</source>
        <translation>Die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>The MPEG Layer-3 data cannot be decoded</source>
        <translation>Die MPEG-Layer-3-Daten können nicht dekodiert werden</translation>
    </message>
</context>
<context>
    <name>TMusicBrainzRelease</name>
    <message>
        <source>disc %1 of %2</source>
        <translation>CD %1 von %2</translation>
    </message>
    <message>
        <source>The MusicBrainz answer is not JSON: %1</source>
        <translation>Die Antwort von MusicBrainz ist kein JSON: %1</translation>
    </message>
    <message>
        <source>no object</source>
        <translation>kein Objekt</translation>
    </message>
    <message>
        <source>The MusicBrainz answer lists no releases.</source>
        <translation>Die Antwort von MusicBrainz nennt keine Veröffentlichungen.</translation>
    </message>
</context>
<context>
    <name>TNameTemplate</name>
    <message>
        <source>the name template has a &quot;{&quot; without its &quot;}&quot; (write &quot;{{&quot; for a brace)</source>
        <translation>die Namensvorlage hat ein &quot;{&quot; ohne sein &quot;}&quot; (für eine Klammer &quot;{{&quot; schreiben)</translation>
    </message>
    <message>
        <source>the name template has an unknown field {%1}; the fields are {%2}</source>
        <translation>die Namensvorlage hat ein unbekanntes Feld {%1}; die Felder sind {%2}</translation>
    </message>
    <message>
        <source>the name template has a &quot;}&quot; without its &quot;{&quot; (write &quot;}}&quot; for a brace)</source>
        <translation>die Namensvorlage hat ein &quot;}&quot; ohne sein &quot;{&quot; (für eine Klammer &quot;}}&quot; schreiben)</translation>
    </message>
    <message>
        <source>the name template names no file</source>
        <translation>die Namensvorlage nennt keine Datei</translation>
    </message>
</context>
<context>
    <name>TNormalize</name>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is too short to be a WAV file</source>
        <translation>%1 ist zu kurz für eine WAV-Datei</translation>
    </message>
</context>
<context>
    <name>TNrgImage</name>
    <message>
        <source>%1 is not a Nero image that can be used: %2</source>
        <translation>%1 ist kein verwendbares Nero-Abbild: %2</translation>
    </message>
    <message>
        <source>The disc image %1 cannot be opened: %2</source>
        <translation>Das CD-Abbild %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 is not a Nero image (it has no NER5 or NERO footer)</source>
        <translation>%1 ist kein Nero-Abbild (es hat keinen NER5- oder NERO-Abschluss)</translation>
    </message>
    <message>
        <source>its footer places the chunks at byte %1, outside the %2 bytes before it</source>
        <translation>sein Abschluss legt die Blöcke auf Byte %1, außerhalb der %2 Bytes davor</translation>
    </message>
    <message>
        <source>The disc image %1 cannot be read: %2</source>
        <translation>Das CD-Abbild %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>a chunk at byte %1 is cut short</source>
        <translation>ein Block bei Byte %1 ist abgeschnitten</translation>
    </message>
    <message>
        <source>its chunk &quot;%1&quot; at byte %2 claims %3 bytes, more than the file holds</source>
        <translation>sein Block &quot;%1&quot; bei Byte %2 beansprucht %3 Bytes, mehr als die Datei enthält</translation>
    </message>
    <message>
        <source>its chunks do not end with END!</source>
        <translation>seine Blöcke enden nicht mit END!</translation>
    </message>
    <message>
        <source>its %1 chunk is %2 bytes long, not a number of 8-byte entries</source>
        <translation>sein %1-Block ist %2 Bytes lang, keine ganze Zahl von 8-Byte-Einträgen</translation>
    </message>
    <message>
        <source>its %1 chunk gives no tracks from 1 to 99</source>
        <translation>sein %1-Block nennt keine Titel von 1 bis 99</translation>
    </message>
    <message>
        <source>its %1 chunk is %2 bytes long, too short for %3 tracks</source>
        <translation>sein %1-Block ist %2 Bytes lang, zu kurz für %3 Titel</translation>
    </message>
    <message>
        <source>track %1 has mode %2 with %3-byte sectors, which no CD has</source>
        <translation>Titel %1 hat Modus %2 mit %3-Byte-Sektoren, die keine CD hat</translation>
    </message>
    <message>
        <source>track %1 lies at bytes %2, %3 and %4, which do not fit the file&apos;s %5 bytes of sectors</source>
        <translation>Titel %1 liegt bei den Bytes %2, %3 und %4, die nicht zu den %5 Bytes an Sektoren der Datei passen</translation>
    </message>
    <message>
        <source>its %1 chunk is %2 bytes long, not 1 to 99 entries of %3</source>
        <translation>sein %1-Block ist %2 Bytes lang, nicht 1 bis 99 Einträge zu %3</translation>
    </message>
    <message>
        <source>track %1 lies at byte %2 for %3 bytes and at sector %4, which do not fit the file or the tracks before it</source>
        <translation>Titel %1 liegt bei Byte %2 mit %3 Bytes und bei Sektor %4, was nicht zur Datei oder zu den Titeln davor passt</translation>
    </message>
    <message>
        <source>it has neither a disc-at-once nor a track-at-once chunk</source>
        <translation>es hat weder einen Disc-at-once- noch einen Track-at-once-Block</translation>
    </message>
</context>
<context>
    <name>TOpusOut</name>
    <message>
        <source>Opus encoding needs 8-, 16-, 24- or 32-bit samples; the input has %1 bits.</source>
        <translation>Opus-Kodierung braucht Samples mit 8, 16, 24 oder 32 Bit; die Eingabe hat %1 Bit.</translation>
    </message>
</context>
<context>
    <name>TQueryCDDBThread</name>
    <message>
        <source>The table of contents of the disc cannot be read.</source>
        <translation>Das Inhaltsverzeichnis der CD kann nicht gelesen werden.</translation>
    </message>
</context>
<context>
    <name>TRawFileSource</name>
    <message>
        <source>%1 ends before the disc image does</source>
        <translation>%1 endet vor dem Ende des CD-Abbilds</translation>
    </message>
</context>
<context>
    <name>TReplayGainTagger</name>
    <message>
        <source>Cannot write ReplayGain tags into %1: its format has none</source>
        <translation>In %1 können keine ReplayGain-Tags geschrieben werden: sein Format hat keine</translation>
    </message>
    <message>
        <source>Cannot write ReplayGain tags into %1: it cannot be read as %2</source>
        <translation>In %1 können keine ReplayGain-Tags geschrieben werden: die Datei lässt sich nicht als %2 lesen</translation>
    </message>
    <message>
        <source>Cannot write ReplayGain tags into %1: the tags cannot be saved</source>
        <translation>In %1 können keine ReplayGain-Tags geschrieben werden: die Tags lassen sich nicht speichern</translation>
    </message>
    <message>
        <source>Cannot create a file beside %1: %2</source>
        <translation>Neben %1 kann keine Datei angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TRipJob</name>
    <message>
        <source>Unknown output format %1.</source>
        <translation>Unbekanntes Ausgabeformat %1.</translation>
    </message>
    <message>
        <source>These files exist in the output folder already:
%1
Replace them (Yes), skip their tracks (No), or cancel the rip (Cancel)?</source>
        <translation>Diese Dateien gibt es im Ausgabeordner schon:
%1
Sollen sie ersetzt (Ja), ihre Titel übersprungen (Nein) oder das Rippen abgebrochen werden (Abbrechen)?</translation>
    </message>
    <message>
        <source>Track %1 is skipped: %2 exists already.</source>
        <translation>Titel %1 wird übersprungen: %2 gibt es schon.</translation>
    </message>
    <message>
        <source>Extracting...</source>
        <translation>Wird ausgelesen...</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>Wird vorbereitet...</translation>
    </message>
    <message>
        <source>no AccurateRip server is set</source>
        <translation>es ist kein AccurateRip-Server eingetragen</translation>
    </message>
    <message>
        <source>not checked: no server is set</source>
        <translation>nicht geprüft: es ist kein Server eingetragen</translation>
    </message>
    <message>
        <source>the disc has no audio tracks the database knows</source>
        <translation>die CD hat keine Audiotitel, die die Datenbank kennt</translation>
    </message>
    <message>
        <source>the disc is not in the AccurateRip database</source>
        <translation>die CD ist nicht in der AccurateRip-Datenbank</translation>
    </message>
    <message>
        <source>the disc is not in the database</source>
        <translation>die CD ist nicht in der Datenbank</translation>
    </message>
    <message>
        <source>the AccurateRip database gave no answer (%1)</source>
        <translation>die AccurateRip-Datenbank hat nicht geantwortet (%1)</translation>
    </message>
    <message>
        <source>not checked: %1</source>
        <translation>nicht geprüft: %1</translation>
    </message>
    <message>
        <source>Checking AccurateRip...</source>
        <translation>AccurateRip wird geprüft...</translation>
    </message>
    <message>
        <source>Verify first: %1, so every track is read in secure mode.</source>
        <translation>Erst prüfen: %1, daher wird jeder Titel im sicheren Modus gelesen.</translation>
    </message>
    <message>
        <source>Cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create a file beside %1: %2</source>
        <translation>Neben %1 kann keine Datei angelegt werden: %2</translation>
    </message>
    <message>
        <source>not checked: the rip was stopped</source>
        <translation>nicht geprüft: das Rippen wurde abgebrochen</translation>
    </message>
    <message numerus="yes">
        <source>Ripped %1 of %n tracks</source>
        <translation>
            <numerusform>%1 von %n Titel gerippt</numerusform>
            <numerusform>%1 von %n Titeln gerippt</numerusform>
        </translation>
    </message>
    <message>
        <source>The WAV of track %1 is kept as %2</source>
        <translation>Die WAV-Datei von Titel %1 wird als %2 behalten</translation>
    </message>
    <message>
        <source>CD extract failed! Please try again.</source>
        <translation>Das Auslesen der CD ist fehlgeschlagen! Bitte noch einmal versuchen.</translation>
    </message>
    <message>
        <source>Error while reading TOC information!</source>
        <translation>Fehler beim Lesen des Inhaltsverzeichnisses!</translation>
    </message>
    <message>
        <source>Normalizing...</source>
        <translation>Wird normalisiert...</translation>
    </message>
    <message>
        <source>Track %1 is not confirmed: reading it again in secure mode...</source>
        <translation>Titel %1 ist nicht bestätigt: er wird im sicheren Modus erneut gelesen...</translation>
    </message>
    <message>
        <source>Track %1 is %2: they never read the same twice</source>
        <translation>Titel %1 ist %2: sie wurden nie zweimal gleich gelesen</translation>
    </message>
    <message>
        <source>Error while reading CD information!</source>
        <translation>Fehler beim Lesen der CD-Daten!</translation>
    </message>
    <message>
        <source>Cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>What was read of track %1 is in %2</source>
        <translation>Was von Titel %1 gelesen wurde, steht in %2</translation>
    </message>
    <message>
        <source>Encoding...</source>
        <translation>Wird kodiert...</translation>
    </message>
    <message>
        <source>The rip was stopped: its files have no album gain.</source>
        <translation>Das Rippen wurde abgebrochen: seine Dateien haben keine Album-Verstärkung.</translation>
    </message>
    <message>
        <source>Encoding %1 failed: %2</source>
        <translation>Das Kodieren von %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Cannot write into %1: %2. The rip has stopped; please choose another output folder or make room there.</source>
        <translation>In %1 kann nicht geschrieben werden: %2. Das Rippen wurde angehalten; bitte einen anderen Ausgabeordner wählen oder dort Platz schaffen.</translation>
    </message>
    <message>
        <source>The rip was stopped while the album gain was written: %1 of %2 files have it.</source>
        <translation>Das Rippen wurde abgebrochen, während die Album-Verstärkung geschrieben wurde: %1 von %2 Dateien haben sie.</translation>
    </message>
</context>
<context>
    <name>TRipLog</name>
    <message numerus="yes">
        <source>suspicious, %n sectors</source>
        <translation>
            <numerusform>verdächtig, %n Sektor</numerusform>
            <numerusform>verdächtig, %n Sektoren</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TSettingDef</name>
    <message>
        <source>%1..%2 in steps of %3</source>
        <translation>%1..%2 in Schritten von %3</translation>
    </message>
</context>
<context>
    <name>TSettingsStore</name>
    <message>
        <source>%1: [%2] %3=%4 is not allowed (%5); %6 is used</source>
        <translation>%1: [%2] %3=%4 ist nicht zulässig (%5); %6 wird verwendet</translation>
    </message>
    <message>
        <source>0 or 1</source>
        <translation>0 oder 1</translation>
    </message>
    <message>
        <source>Cannot create the settings folder %1</source>
        <translation>Der Einstellungsordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>TStreamSink</name>
    <message>
        <source>Cannot write file %1: %2</source>
        <translation>Die Datei %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TTocImage</name>
    <message>
        <source>%1 is not a TOC file (it holds binary data)</source>
        <translation>%1 ist keine TOC-Datei (die Datei enthält Binärdaten)</translation>
    </message>
    <message>
        <source>%1 is not a TOC file that can be used: %2</source>
        <translation>%1 ist keine verwendbare TOC-Datei: %2</translation>
    </message>
    <message>
        <source>line %1 %2</source>
        <translation>Zeile %1 %2</translation>
    </message>
    <message>
        <source>has no { after CD_TEXT</source>
        <translation>hat kein { nach CD_TEXT</translation>
    </message>
    <message>
        <source>starts a LANGUAGE_MAP that is not closed</source>
        <translation>beginnt eine LANGUAGE_MAP, die nicht geschlossen wird</translation>
    </message>
    <message>
        <source>has no LANGUAGE number and {</source>
        <translation>hat keine LANGUAGE-Nummer mit {</translation>
    </message>
    <message>
        <source>starts a CD_TEXT that is not closed</source>
        <translation>beginnt einen CD_TEXT, der nicht geschlossen wird</translation>
    </message>
    <message>
        <source>has no text for %1</source>
        <translation>hat keinen Text für %1</translation>
    </message>
    <message>
        <source>is not a CD_TEXT item</source>
        <translation>ist kein CD_TEXT-Eintrag</translation>
    </message>
    <message>
        <source>%1 is not a TOC file: it names no tracks</source>
        <translation>%1 ist keine TOC-Datei: sie nennt keine Titel</translation>
    </message>
    <message>
        <source>has no catalog number after CATALOG</source>
        <translation>hat keine Katalognummer nach CATALOG</translation>
    </message>
    <message>
        <source>%1 is not a TOC file (line %2 begins with &quot;%3&quot;)</source>
        <translation>%1 ist keine TOC-Datei (Zeile %2 beginnt mit &quot;%3&quot;)</translation>
    </message>
    <message>
        <source>holds &quot;%1&quot;, which is not a TOC command</source>
        <translation>enthält &quot;%1&quot;, das kein TOC-Befehl ist</translation>
    </message>
    <message>
        <source>it has more than 99 tracks (line %1)</source>
        <translation>sie hat mehr als 99 Titel (Zeile %1)</translation>
    </message>
    <message>
        <source>has a TRACK of unknown mode &quot;%1&quot;</source>
        <translation>hat einen TRACK mit unbekanntem Modus &quot;%1&quot;</translation>
    </message>
    <message>
        <source>adds to track %1 after audio that does not fill whole sectors (588 samples each)</source>
        <translation>ergänzt Titel %1 nach Audiodaten, die keine ganzen Sektoren füllen (je 588 Samples)</translation>
    </message>
    <message>
        <source>holds a stray &quot;%1&quot;</source>
        <translation>enthält ein verirrtes &quot;%1&quot;</translation>
    </message>
    <message>
        <source>has NO before neither COPY nor PRE_EMPHASIS</source>
        <translation>hat NO weder vor COPY noch vor PRE_EMPHASIS</translation>
    </message>
    <message>
        <source>has no code after ISRC</source>
        <translation>hat keinen Code nach ISRC</translation>
    </message>
    <message>
        <source>has no length after %1</source>
        <translation>hat keine Länge nach %1</translation>
    </message>
    <message>
        <source>has no time mm:ss:ff after PREGAP</source>
        <translation>hat keine Zeit mm:ss:ff nach PREGAP</translation>
    </message>
    <message>
        <source>has a PREGAP after the start of track %1&apos;s data</source>
        <translation>hat ein PREGAP nach dem Beginn der Daten von Titel %1</translation>
    </message>
    <message>
        <source>gives track %1 a second START</source>
        <translation>gibt Titel %1 ein zweites START</translation>
    </message>
    <message>
        <source>has no time mm:ss:ff after INDEX</source>
        <translation>hat keine Zeit mm:ss:ff nach INDEX</translation>
    </message>
    <message>
        <source>has no file name in quotes after %1</source>
        <translation>hat keinen Dateinamen in Anführungszeichen nach %1</translation>
    </message>
    <message>
        <source>has no byte offset after #</source>
        <translation>hat keinen Byte-Versatz nach #</translation>
    </message>
    <message>
        <source>has no start position after the file name</source>
        <translation>hat keine Startposition nach dem Dateinamen</translation>
    </message>
    <message>
        <source>Track %1 is cut: %2 ends at %3, before the track starts at %4 as %5 says</source>
        <translation>Titel %1 ist abgeschnitten: %2 endet bei %3, bevor der Titel bei %4 beginnt, wie %5 angibt</translation>
    </message>
    <message>
        <source>Track %1 is cut: %2 ends at %3, before the track&apos;s data ends at %4 as %5 says</source>
        <translation>Titel %1 ist abgeschnitten: %2 endet bei %3, bevor die Daten des Titels bei %4 enden, wie %5 angibt</translation>
    </message>
    <message>
        <source>reads track %1 from a FIFO, which an image cannot</source>
        <translation>liest Titel %1 aus einem FIFO, was ein Abbild nicht kann</translation>
    </message>
    <message>
        <source>%1: track %2 (line %3) has no data after its start</source>
        <translation>%1: Titel %2 (Zeile %3) hat nach seinem Beginn keine Daten</translation>
    </message>
</context>
<context>
    <name>TTrackListModel</name>
    <message>
        <source>%1 data</source>
        <translation>%1 Daten</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Startzeit</translation>
    </message>
    <message>
        <source>Length(min)</source>
        <translation>Länge (min)</translation>
    </message>
</context>
<context>
    <name>TTrackSpan</name>
    <message>
        <source>Can not read the disc&apos;s table of contents: is there an audio CD in the drive?</source>
        <translation>Das Inhaltsverzeichnis der CD kann nicht gelesen werden: Liegt eine Audio-CD im Laufwerk?</translation>
    </message>
    <message>
        <source>Track %1 is not on the disc (it has tracks %2 to %3).</source>
        <translation>Titel %1 ist nicht auf der CD (sie hat die Titel %2 bis %3).</translation>
    </message>
    <message>
        <source>Track %1 is a data track, not audio.</source>
        <translation>Titel %1 ist ein Datentitel, kein Audiotitel.</translation>
    </message>
    <message>
        <source>Track %1 has no audio in the disc&apos;s table of contents.</source>
        <translation>Titel %1 hat im Inhaltsverzeichnis der CD keine Audiodaten.</translation>
    </message>
</context>
<context>
    <name>TVorbisOut</name>
    <message>
        <source>Ogg Vorbis encoding needs 8-, 16- or 24-bit samples; the input has %1 bits.</source>
        <translation>Ogg-Vorbis-Kodierung braucht Samples mit 8, 16 oder 24 Bit; die Eingabe hat %1 Bit.</translation>
    </message>
    <message>
        <source>Cannot append to file %1</source>
        <translation>An die Datei %1 kann nicht angehängt werden</translation>
    </message>
</context>
<context>
    <name>TWMIn</name>
    <message>
        <source>File is protected</source>
        <translation>Die Datei ist geschützt</translation>
    </message>
    <message>
        <source>%1 is damaged: %2 of its audio packets could not be decoded</source>
        <translation>%1 ist beschädigt: %2 seiner Audiopakete konnten nicht dekodiert werden</translation>
    </message>
</context>
<context>
    <name>TfrmCDRip</name>
    <message>
        <source>Current track:</source>
        <translation>Aktueller Titel:</translation>
    </message>
    <message>
        <source>Output format:</source>
        <translation>Ausgabeformat:</translation>
    </message>
    <message>
        <source>Selected tracks:</source>
        <translation>Ausgewählte Titel:</translation>
    </message>
    <message>
        <source>Completed:</source>
        <translation>Fertig:</translation>
    </message>
    <message>
        <source>Extracting...</source>
        <translation>Wird ausgelesen...</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>Wird vorbereitet...</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Encoding: waiting for a track</source>
        <translation>Kodieren: wartet auf einen Titel</translation>
    </message>
    <message>
        <source>Overall: %p%</source>
        <translation>Gesamt: %p%</translation>
    </message>
    <message>
        <source>Encoding track %1: %p%</source>
        <translation>Titel %1 wird kodiert: %p%</translation>
    </message>
    <message>
        <source>Reading track %1: %p%</source>
        <translation>Titel %1 wird gelesen: %p%</translation>
    </message>
</context>
<context>
    <name>TfrmEditTrackName</name>
    <message>
        <source>Edit Track&apos;s Title</source>
        <translation>Titel bearbeiten</translation>
    </message>
    <message>
        <source>Please enter the new track title</source>
        <translation>Bitte den neuen Titel eingeben</translation>
    </message>
    <message>
        <source>the disc&apos;s artist</source>
        <translation>der Interpret der CD</translation>
    </message>
    <message>
        <source>&amp;Title:</source>
        <translation>&amp;Titel:</translation>
    </message>
    <message>
        <source>&amp;Artist:</source>
        <translation>&amp;Interpret:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
</context>
<context>
    <name>TfrmEncodeProgress</name>
    <message>
        <source>Current Input File:</source>
        <translation>Aktuelle Eingabedatei:</translation>
    </message>
    <message>
        <source>Current Output File:</source>
        <translation>Aktuelle Ausgabedatei:</translation>
    </message>
    <message>
        <source>Selected files:</source>
        <translation>Ausgewählte Dateien:</translation>
    </message>
    <message>
        <source>Completed:</source>
        <translation>Fertig:</translation>
    </message>
    <message>
        <source>Output Folder:</source>
        <translation>Ausgabeordner:</translation>
    </message>
    <message>
        <source>Encoding...</source>
        <translation>Wird kodiert...</translation>
    </message>
    <message>
        <source>Converting now</source>
        <translation>Wird gerade umgewandelt</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>&amp;Alle ersetzen</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>Ü&amp;berspringen</translation>
    </message>
    <message>
        <source>S&amp;kip All</source>
        <translation>Alle übers&amp;pringen</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>Converted %1, skipped %2, failed %3, damaged %4.</source>
        <translation>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3, beschädigt: %4.</translation>
    </message>
    <message>
        <source>Converted %1, skipped %2, failed %3.</source>
        <translation>Umgewandelt: %1, übersprungen: %2, fehlgeschlagen: %3.</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Failed:
%1</source>
        <translation>Fehlgeschlagen:
%1</translation>
    </message>
    <message>
        <source>Damaged:
%1</source>
        <translation>Beschädigt:
%1</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>Wav to &amp;Mp3...</source>
        <translation>Wav nach &amp;Mp3...</translation>
    </message>
    <message>
        <source>Wav to Mp3 Converter</source>
        <translation>Wav nach Mp3 umwandeln</translation>
    </message>
    <message>
        <source>Wav to &amp;Ogg...</source>
        <translation>Wav nach &amp;Ogg...</translation>
    </message>
    <message>
        <source>Wav to Ogg Converter</source>
        <translation>Wav nach Ogg umwandeln</translation>
    </message>
    <message>
        <source>Wav to &amp;Wma...</source>
        <translation>Wav nach &amp;Wma...</translation>
    </message>
    <message>
        <source>Wav to Wma Converter</source>
        <translation>Wav nach Wma umwandeln</translation>
    </message>
    <message>
        <source>Wav to &amp;Flac...</source>
        <translation>Wav nach &amp;Flac...</translation>
    </message>
    <message>
        <source>Wav to Flac Converter</source>
        <translation>Wav nach Flac umwandeln</translation>
    </message>
    <message>
        <source>Wav to &amp;Ape...</source>
        <translation>Wav nach &amp;Ape...</translation>
    </message>
    <message>
        <source>Wav to Ape Converter</source>
        <translation>Wav nach Ape umwandeln</translation>
    </message>
    <message>
        <source>Mp3 to Wa&amp;v Converter...</source>
        <translation>Mp3 nach Wa&amp;v umwandeln...</translation>
    </message>
    <message>
        <source>Mp3 to Wav Converter</source>
        <translation>Mp3 nach Wav umwandeln</translation>
    </message>
    <message>
        <source>Wma to Wav Conv&amp;erter...</source>
        <translation>Wma nach Wav umwand&amp;eln...</translation>
    </message>
    <message>
        <source>Wma to Wav Converter</source>
        <translation>Wma nach Wav umwandeln</translation>
    </message>
    <message>
        <source>M&amp;p3 to Wma Converter...</source>
        <translation>M&amp;p3 nach Wma umwandeln...</translation>
    </message>
    <message>
        <source>Mp3 to Wma Converter</source>
        <translation>Mp3 nach Wma umwandeln</translation>
    </message>
    <message>
        <source>Wma &amp;to Mp3 Converter...</source>
        <translation>Wma &amp;nach Mp3 umwandeln...</translation>
    </message>
    <message>
        <source>Wma to Mp3 Converter</source>
        <translation>Wma nach Mp3 umwandeln</translation>
    </message>
    <message>
        <source>&amp;Rip Selected Tracks...</source>
        <translation>Ausgewählte Titel &amp;rippen...</translation>
    </message>
    <message>
        <source>Rip</source>
        <translation>Rippen</translation>
    </message>
    <message>
        <source>Rip selected tracks</source>
        <translation>Ausgewählte Titel rippen</translation>
    </message>
    <message>
        <source>&amp;Open Disc Image...</source>
        <translation>CD-Abbild ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Alle auswählen</translation>
    </message>
    <message>
        <source>&amp;Unselect All</source>
        <translation>&amp;Keine auswählen</translation>
    </message>
    <message>
        <source>&amp;Invert Selection</source>
        <translation>Auswahl &amp;umkehren</translation>
    </message>
    <message>
        <source>&amp;Edit Track&apos;s Title...</source>
        <translation>Titel &amp;bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Query CDDB...</source>
        <translation>&amp;CDDB abfragen...</translation>
    </message>
    <message>
        <source>CDDB</source>
        <translation>CDDB</translation>
    </message>
    <message>
        <source>Query CDDB</source>
        <translation>CDDB abfragen</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>Online-&amp;Hilfe</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;Home Page</source>
        <translation>&amp;Webseite</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>Visit our home page</source>
        <translation>Unsere Webseite besuchen</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Abspielen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Play the selected track</source>
        <translation>Den ausgewählten Titel abspielen</translation>
    </message>
    <message>
        <source>P&amp;ause</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>&amp;Eject CD-ROM</source>
        <translation>CD aus&amp;werfen</translation>
    </message>
    <message>
        <source>&amp;Close CD-ROM</source>
        <translation>Laufwerk s&amp;chließen</translation>
    </message>
    <message>
        <source>&amp;Jump Output Folder</source>
        <translation>Ausgabe&amp;ordner öffnen</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Open the output folder</source>
        <translation>Den Ausgabeordner öffnen</translation>
    </message>
    <message>
        <source>Re&amp;fresh CD</source>
        <translation>CD neu &amp;einlesen</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>Ü&amp;ber...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Convert</source>
        <translation>Umwandeln</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Convert</source>
        <translation>&amp;Umwandeln</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>CD</translation>
    </message>
    <message>
        <source>Which disc of a set this is: &quot;2&quot;, or &quot;2/3&quot; for the second of three</source>
        <translation>Welche CD einer Reihe dies ist: „2“, oder „2/3“ für die zweite von dreien</translation>
    </message>
    <message>
        <source>A&amp;rtist:</source>
        <translation>&amp;Interpret:</translation>
    </message>
    <message>
        <source>A&amp;lbum:</source>
        <translation>A&amp;lbum:</translation>
    </message>
    <message>
        <source>&amp;Year:</source>
        <translation>&amp;Jahr:</translation>
    </message>
    <message>
        <source>&amp;Disc:</source>
        <translation>&amp;CD:</translation>
    </message>
    <message>
        <source>&amp;Genre:</source>
        <translation>&amp;Genre:</translation>
    </message>
    <message>
        <source>Co&amp;mment:</source>
        <translation>&amp;Kommentar:</translation>
    </message>
    <message>
        <source>Output format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>MP3 file(*.MP3)</source>
        <translation>MP3-Datei(*.MP3)</translation>
    </message>
    <message>
        <source>WAV file(*.WAV)</source>
        <translation>WAV-Datei(*.WAV)</translation>
    </message>
    <message>
        <source>OGG file(*.OGG)</source>
        <translation>OGG-Datei(*.OGG)</translation>
    </message>
    <message>
        <source>WMA file(*.WMA)</source>
        <translation>WMA-Datei(*.WMA)</translation>
    </message>
    <message>
        <source>FLAC file(*.FLAC)</source>
        <translation>FLAC-Datei(*.FLAC)</translation>
    </message>
    <message>
        <source>APE FILE(*.APE)</source>
        <translation>APE-Datei(*.APE)</translation>
    </message>
    <message>
        <source>Opus file(*.opus)</source>
        <translation>Opus-Datei(*.opus)</translation>
    </message>
    <message>
        <source>AAC file(*.m4a)</source>
        <translation>AAC-Datei(*.m4a)</translation>
    </message>
    <message>
        <source>Apple Lossless file(*.m4a)</source>
        <translation>Apple-Lossless-Datei(*.m4a)</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Please select the folder to save the audio file</source>
        <translation>Bitte den Ordner wählen, in dem die Audiodateien gespeichert werden</translation>
    </message>
    <message>
        <source>Playback stopped: the disc was removed.</source>
        <translation>Wiedergabe beendet: Die CD wurde entnommen.</translation>
    </message>
    <message>
        <source>Disc images (*.cue *.toc *.nrg *.CUE *.TOC *.NRG);;Any file (*)</source>
        <translation>CD-Abbilder (*.cue *.toc *.nrg *.CUE *.TOC *.NRG);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>A rip is running. Please open the disc image once it has ended.</source>
        <translation>Es wird gerade gerippt. Bitte das CD-Abbild öffnen, wenn das Rippen beendet ist.</translation>
    </message>
    <message>
        <source>There is no CD drive %1. The drive of the options is used.</source>
        <translation>Es gibt kein CD-Laufwerk %1. Das Laufwerk aus den Einstellungen wird verwendet.</translation>
    </message>
    <message>
        <source>Open Disc Image</source>
        <translation>CD-Abbild öffnen</translation>
    </message>
    <message>
        <source>Please access CD devices rightly firstly!</source>
        <translation>Bitte zuerst ein CD-Laufwerk richtig ansprechen!</translation>
    </message>
    <message>
        <source>Please select a track at least!</source>
        <translation>Bitte mindestens einen Titel auswählen!</translation>
    </message>
    <message>
        <source>The file names cannot be made: %1. Please correct the name template in Options.</source>
        <translation>Die Dateinamen können nicht gebildet werden: %1. Bitte die Namensvorlage in den Einstellungen korrigieren.</translation>
    </message>
    <message>
        <source>Error while reading TOC information!</source>
        <translation>Fehler beim Lesen des Inhaltsverzeichnisses!</translation>
    </message>
    <message>
        <source>No program was found to open %1</source>
        <translation>Es wurde kein Programm gefunden, das %1 öffnet</translation>
    </message>
    <message>
        <source>The output folder %1 does not exist yet: it is made when the first file goes there.</source>
        <translation>Der Ausgabeordner %1 existiert noch nicht: Er wird angelegt, sobald die erste Datei hineinkommt.</translation>
    </message>
    <message>
        <source>Audio Converter</source>
        <translation>Audio umwandeln</translation>
    </message>
    <message>
        <source>Sound file(*.%1)</source>
        <translation>Audiodatei(*.%1)</translation>
    </message>
    <message>
        <source> Any file(*.*)</source>
        <translation> Alle Dateien(*.*)</translation>
    </message>
    <message>
        <source>About Free Sondrel</source>
        <translation>Über Free Sondrel</translation>
    </message>
    <message>
        <source>&lt;b&gt;Free Sondrel %1&lt;/b&gt;&lt;p&gt;Copies audio CDs to MP3, WAV, OGG, WMA, FLAC and APE files.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;&lt;p&gt;%3&lt;/p&gt;&lt;p&gt;This program is free software under the &lt;a href=&quot;%4&quot;&gt;GNU General Public License, version 3 or later&lt;/a&gt; (%5). It comes with NO WARRANTY, to the extent permitted by law.&lt;/p&gt;</source>
        <translation>&lt;b&gt;Free Sondrel %1&lt;/b&gt;&lt;p&gt;Kopiert Audio-CDs in MP3-, WAV-, OGG-, WMA-, FLAC- und APE-Dateien.&lt;/p&gt;&lt;p&gt;&lt;a href=&quot;%2&quot;&gt;%2&lt;/a&gt;&lt;/p&gt;&lt;p&gt;%3&lt;/p&gt;&lt;p&gt;Dieses Programm ist freie Software unter der &lt;a href=&quot;%4&quot;&gt;GNU General Public License, Version 3 oder später&lt;/a&gt; (%5). Es kommt OHNE JEDE GEWÄHRLEISTUNG, soweit das Gesetz es zulässt.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Play %1</source>
        <translation>Wiedergabe: %1</translation>
    </message>
    <message>
        <source>Can not play %1: %2</source>
        <translation>%1 kann nicht abgespielt werden: %2</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>Wiedergabe beendet: %1</translation>
    </message>
    <message>
        <source>%1 (paused)</source>
        <translation>%1 (angehalten)</translation>
    </message>
    <message>
        <source>A disc image has no tray to open.</source>
        <translation>Ein CD-Abbild hat keine Lade zum Öffnen.</translation>
    </message>
    <message>
        <source>A disc image has no tray to close.</source>
        <translation>Ein CD-Abbild hat keine Lade zum Schließen.</translation>
    </message>
    <message>
        <source>Can not open the tray: %1</source>
        <translation>Die Lade lässt sich nicht öffnen: %1</translation>
    </message>
    <message>
        <source>Can not close the tray: %1</source>
        <translation>Die Lade lässt sich nicht schließen: %1</translation>
    </message>
    <message>
        <source>Error occur when closing CD handle!</source>
        <translation>Fehler beim Schließen des CD-Laufwerks!</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <comment>menu</comment>
        <translation>&amp;Wiedergabe</translation>
    </message>
</context>
<context>
    <name>TfrmOptions</name>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>NN Title</source>
        <translation>NN Titel</translation>
    </message>
    <message>
        <source>Album artist/Album/NN Title</source>
        <translation>Albuminterpret/Album/NN Titel</translation>
    </message>
    <message>
        <source>Album artist/Album (Year)/NN Title</source>
        <translation>Albuminterpret/Album (Jahr)/NN Titel</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Weiteres</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>O&amp;utput</source>
        <translation>&amp;Ausgabe</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>Output fol&amp;der</source>
        <translation>Ausgabeor&amp;dner</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>D&amp;urchsuchen...</translation>
    </message>
    <message>
        <source>Dele&amp;te WAV file after processing</source>
        <translation>WAV-Datei nach der Verarbei&amp;tung löschen</translation>
    </message>
    <message>
        <source>Output format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>MP3 file(*.MP3)</source>
        <translation>MP3-Datei(*.MP3)</translation>
    </message>
    <message>
        <source>WAV file(*.WAV)</source>
        <translation>WAV-Datei(*.WAV)</translation>
    </message>
    <message>
        <source>OGG file(*.OGG)</source>
        <translation>OGG-Datei(*.OGG)</translation>
    </message>
    <message>
        <source>WMA file(*.WMA)</source>
        <translation>WMA-Datei(*.WMA)</translation>
    </message>
    <message>
        <source>FLAC file(*.FLAC)</source>
        <translation>FLAC-Datei(*.FLAC)</translation>
    </message>
    <message>
        <source>APE FILE(*.APE)</source>
        <translation>APE-Datei(*.APE)</translation>
    </message>
    <message>
        <source>Opus file(*.opus)</source>
        <translation>Opus-Datei(*.opus)</translation>
    </message>
    <message>
        <source>AAC file(*.m4a)</source>
        <translation>AAC-Datei(*.m4a)</translation>
    </message>
    <message>
        <source>Apple Lossless file(*.m4a)</source>
        <translation>Apple-Lossless-Datei(*.m4a)</translation>
    </message>
    <message>
        <source>&amp;Normalize</source>
        <translation>&amp;Normalisieren</translation>
    </message>
    <message>
        <source>Fo&amp;rmat:</source>
        <translation>Fo&amp;rmat:</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Track gain</source>
        <translation>Titel-Verstärkung</translation>
    </message>
    <message>
        <source>Track and album gain</source>
        <translation>Titel- und Album-Verstärkung</translation>
    </message>
    <message>
        <source>R&amp;eplayGain:</source>
        <translation>R&amp;eplayGain:</translation>
    </message>
    <message>
        <source>Also wr&amp;ite:</source>
        <translation>Zusätzlich schre&amp;iben:</translation>
    </message>
    <message>
        <source>De&amp;vice:</source>
        <translation>Laufwer&amp;k:</translation>
    </message>
    <message>
        <source>File names</source>
        <translation>Dateinamen</translation>
    </message>
    <message>
        <source>The path of each file below the output folder: &quot;/&quot; between folders and the fields {%1}. The extension is added.</source>
        <translation>Der Pfad jeder Datei unterhalb des Ausgabeordners: „/“ zwischen Ordnern und die Felder {%1}. Die Dateiendung wird angehängt.</translation>
    </message>
    <message>
        <source>Own template</source>
        <translation>Eigene Vorlage</translation>
    </message>
    <message>
        <source>FAT-safe n&amp;ames</source>
        <translation>FAT-sichere Na&amp;men</translation>
    </message>
    <message>
        <source>Names that FAT, exFAT and NTFS drives also take: no \ : * ? &quot; &lt; &gt; |, no trailing dot, no CON, NUL, ...</source>
        <translation>Namen, die auch FAT-, exFAT- und NTFS-Laufwerke annehmen: kein \ : * ? &quot; &lt; &gt; |, kein Punkt am Ende, kein CON, NUL, ...</translation>
    </message>
    <message>
        <source>Write a pla&amp;ylist</source>
        <translation>Pla&amp;ylist schreiben</translation>
    </message>
    <message>
        <source>&quot;&lt;album&gt;.m3u8&quot; beside the rip log</source>
        <translation>„&lt;album&gt;.m3u8“ neben dem Rip-Protokoll</translation>
    </message>
    <message>
        <source>Write a cue s&amp;heet</source>
        <translation>Cue-S&amp;heet schreiben</translation>
    </message>
    <message>
        <source>&quot;&lt;album&gt;.cue&quot; naming the ripped files, beside the rip log</source>
        <translation>„&lt;album&gt;.cue“ mit den Namen der gerippten Dateien, neben dem Rip-Protokoll</translation>
    </message>
    <message>
        <source>Te&amp;mplate:</source>
        <translation>&amp;Vorlage:</translation>
    </message>
    <message>
        <source>Pre&amp;set:</source>
        <translation>Vorein&amp;stellung:</translation>
    </message>
    <message>
        <source>Example:</source>
        <translation>Beispiel:</translation>
    </message>
    <message>
        <source>Bit Rate</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>C&amp;BR(Constant Bit Rate)</source>
        <translation>C&amp;BR (konstante Bitrate)</translation>
    </message>
    <message>
        <source>&amp;VBR(Variable Bit Rate)</source>
        <translation>&amp;VBR (variable Bitrate)</translation>
    </message>
    <message>
        <source>Write MP3 VBR &amp;Header</source>
        <translation>MP3-VBR-&amp;Header schreiben</translation>
    </message>
    <message>
        <source>Mi&amp;nimum bitrate:</source>
        <translation>Mi&amp;nimale Bitrate:</translation>
    </message>
    <message>
        <source>Ma&amp;ximum bitrate:</source>
        <translation>Ma&amp;ximale Bitrate:</translation>
    </message>
    <message>
        <source>VBR &amp;Quality:</source>
        <translation>VBR-&amp;Qualität:</translation>
    </message>
    <message>
        <source>Chann&amp;els</source>
        <translation>&amp;Kanäle</translation>
    </message>
    <message>
        <source>Stereo</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>Joint Stereo</source>
        <translation>Joint Stereo</translation>
    </message>
    <message>
        <source>Dual Channels</source>
        <translation>Zwei Kanäle</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>CPU U&amp;sage</source>
        <translation>CPU-Au&amp;slastung</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>Stan&amp;dard</translation>
    </message>
    <message>
        <source>Use &amp;Quality setting</source>
        <translation>&amp;Qualitätseinstellung verwenden</translation>
    </message>
    <message>
        <source>-&gt; &amp;Highest quality</source>
        <translation>-&gt; &amp;Höchste Qualität</translation>
    </message>
    <message>
        <source>Use Bitrate manager</source>
        <translation>Bitratenverwaltung verwenden</translation>
    </message>
    <message>
        <source> Default</source>
        <translation> Standard</translation>
    </message>
    <message>
        <source>&amp;Nominal bitrate:</source>
        <translation>&amp;Nominale Bitrate:</translation>
    </message>
    <message>
        <source>M&amp;inimum bitrate:</source>
        <translation>M&amp;inimale Bitrate:</translation>
    </message>
    <message>
        <source>Codec&amp;s</source>
        <translation>Codec&amp;s</translation>
    </message>
    <message>
        <source>Fo&amp;rmats</source>
        <translation>Fo&amp;rmate</translation>
    </message>
    <message>
        <source>Co&amp;mpression</source>
        <translation>Ko&amp;mpression</translation>
    </message>
    <message>
        <source>The compressor has the levels 1000, 2000, 3000, 4000 and 5000 only: this one is written at 2000.</source>
        <translation>Der Kompressor kennt nur die Stufen 1000, 2000, 3000, 4000 und 5000: Diese wird mit 2000 geschrieben.</translation>
    </message>
    <message>
        <source>&amp;Bit rate</source>
        <translation>&amp;Bitrate</translation>
    </message>
    <message>
        <source>Variable bit rate: the encoder aims at this average. 128 kbit/s suits stereo music.</source>
        <translation>Variable Bitrate: Der Kodierer zielt auf diesen Durchschnitt. 128 kbit/s passen zu Stereomusik.</translation>
    </message>
    <message>
        <source>Co&amp;mplexity</source>
        <translation>Ko&amp;mplexität</translation>
    </message>
    <message>
        <source>Constant bit rate, AAC-LC. Apple Lossless files have no settings.</source>
        <translation>Konstante Bitrate, AAC-LC. Apple-Lossless-Dateien haben keine Einstellungen.</translation>
    </message>
    <message>
        <source>File converter</source>
        <translation>Dateiumwandlung</translation>
    </message>
    <message>
        <source>one per core</source>
        <translation>eine je Kern</translation>
    </message>
    <message>
        <source>Files converted at the same &amp;time:</source>
        <translation>Gleichzei&amp;tig umgewandelte Dateien:</translation>
    </message>
    <message>
        <source>Lookups</source>
        <translation>Abfragen</translation>
    </message>
    <message>
        <source>Fetch the front co&amp;ver with a MusicBrainz lookup, embed it and save it beside the files</source>
        <translation>Das Titel&amp;bild bei einer MusicBrainz-Abfrage holen, einbetten und neben den Dateien speichern</translation>
    </message>
    <message>
        <source>you@example.org (CDDB and MusicBrainz ask for it)</source>
        <translation>sie@example.org (CDDB und MusicBrainz verlangen sie)</translation>
    </message>
    <message>
        <source>Your e-&amp;mail for the lookups:</source>
        <translation>Ihre E-&amp;Mail für die Abfragen:</translation>
    </message>
    <message>
        <source>Reading and verification</source>
        <translation>Lesen und Prüfen</translation>
    </message>
    <message>
        <source>Pl&amp;ain: each sector read once at full speed; nothing proves the copy</source>
        <translation>&amp;Einfach: jeder Sektor einmal mit voller Geschwindigkeit gelesen; nichts belegt die Kopie</translation>
    </message>
    <message>
        <source>S&amp;ecure: each sector read until two reads agree; twice the reading time</source>
        <translation>&amp;Sicher: jeder Sektor gelesen, bis zwei Lesungen übereinstimmen; doppelte Lesezeit</translation>
    </message>
    <message>
        <source>Ver&amp;ify first: read once; tracks the database does not confirm are read again securely</source>
        <translation>E&amp;rst prüfen: einmal gelesen; Titel, die die Datenbank nicht bestätigt, werden sicher neu gelesen</translation>
    </message>
    <message>
        <source>none: no database check</source>
        <translation>leer: keine Datenbankprüfung</translation>
    </message>
    <message>
        <source>AccurateRip &amp;server:</source>
        <translation>AccurateRip-Ser&amp;ver:</translation>
    </message>
    <message>
        <source>Look up a disc when it is i&amp;nserted</source>
        <translation>Eine CD beim Ei&amp;nlegen abfragen</translation>
    </message>
    <message>
        <source>After a rip</source>
        <translation>Nach dem Rippen</translation>
    </message>
    <message>
        <source>E&amp;ject the disc</source>
        <translation>CD a&amp;uswerfen</translation>
    </message>
    <message>
        <source>Open t&amp;he output folder</source>
        <translation>&amp;Den Ausgabeordner öffnen</translation>
    </message>
    <message>
        <source>Please choose an output folder.</source>
        <translation>Bitte einen Ausgabeordner wählen.</translation>
    </message>
    <message>
        <source>%1 is a file, not a folder. Please choose a folder.</source>
        <translation>%1 ist eine Datei, kein Ordner. Bitte einen Ordner wählen.</translation>
    </message>
    <message>
        <source>Minimum bitrate</source>
        <translation>Minimale Bitrate</translation>
    </message>
    <message>
        <source>Maximum bitrate</source>
        <translation>Maximale Bitrate</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is not a bit rate. Choose one of the list, 32 to 320 kbit/s.</source>
        <translation>%1: „%2“ ist keine Bitrate. Bitte eine aus der Liste wählen, 32 bis 320 kbit/s.</translation>
    </message>
    <message>
        <source>The minimum bitrate is above the maximum bitrate.</source>
        <translation>Die minimale Bitrate liegt über der maximalen Bitrate.</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Please select the folder to save the audio file</source>
        <translation>Bitte den Ordner wählen, in dem die Audiodateien gespeichert werden</translation>
    </message>
    <message>
        <source>The WMA encoder has no variable bit rate formats: checked, it could write no file.</source>
        <translation>Der WMA-Kodierer hat keine Formate mit variabler Bitrate: Angekreuzt könnte er keine Datei schreiben.</translation>
    </message>
    <message>
        <source>Less</source>
        <comment>CPU usage</comment>
        <translation>Weniger</translation>
    </message>
    <message>
        <source>More</source>
        <comment>CPU usage</comment>
        <translation>Mehr</translation>
    </message>
</context>
<context>
    <name>TfrmQueryCDDB</name>
    <message>
        <source>Query CDDB</source>
        <translation>CDDB abfragen</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>MusicBrainz, then CDDB when it has no match</source>
        <translation>MusicBrainz, dann CDDB, wenn es keinen Treffer hat</translation>
    </message>
    <message>
        <source>&amp;Look up in:</source>
        <translation>S&amp;uchen in:</translation>
    </message>
    <message>
        <source>&amp;MusicBrainz Server:</source>
        <translation>&amp;MusicBrainz-Server:</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>you@example.org (the servers ask for it)</source>
        <translation>sie@example.org (die Server verlangen sie)</translation>
    </message>
    <message>
        <source>&amp;Freedb Server:</source>
        <translation>&amp;Freedb-Server:</translation>
    </message>
    <message>
        <source>Query &amp;Script:</source>
        <translation>Abfrage-S&amp;kript:</translation>
    </message>
    <message>
        <source>Your &amp;e-mail:</source>
        <translation>Ihre &amp;E-Mail:</translation>
    </message>
    <message>
        <source>Proxy server</source>
        <translation>Proxyserver</translation>
    </message>
    <message>
        <source>&amp;Use a proxy server</source>
        <translation>Proxyserver &amp;verwenden</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse:</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>&amp;Port:</translation>
    </message>
    <message>
        <source>&amp;Query</source>
        <translation>Abf&amp;ragen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>Stan&amp;dard</translation>
    </message>
</context>
<context>
    <name>TfrmRipVerdicts</name>
    <message>
        <source>Rip finished - Free Sondrel</source>
        <translation>Rippen beendet - Free Sondrel</translation>
    </message>
    <message>
        <source>AccurateRip verdicts of the ripped tracks:</source>
        <translation>AccurateRip-Ergebnisse der gerippten Titel:</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Open &amp;Log</source>
        <translation>&amp;Protokoll öffnen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>No rip log was written.</source>
        <translation>Es wurde kein Rip-Protokoll geschrieben.</translation>
    </message>
    <message>
        <source>The rip log is %1</source>
        <translation>Das Rip-Protokoll ist %1</translation>
    </message>
    <message>
        <source>The rip logs are:
%1</source>
        <translation>Die Rip-Protokolle sind:
%1</translation>
    </message>
    <message>
        <source>No program to show the log was found. The log is %1</source>
        <translation>Es wurde kein Programm gefunden, das das Protokoll anzeigt. Das Protokoll ist %1</translation>
    </message>
</context>
<context>
    <name>TfrmStopQuery</name>
    <message>
        <source>Query CDDB...</source>
        <translation>CDDB-Abfrage...</translation>
    </message>
    <message>
        <source>Querying CDDB, please wait...</source>
        <translation>CDDB wird abgefragt, bitte warten...</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>MusicBrainz knows several releases of this disc. Which one is it?</source>
        <translation>MusicBrainz kennt mehrere Veröffentlichungen dieser CD. Welche ist es?</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Some settings were not used:

%1</source>
        <translation>Einige Einstellungen wurden nicht verwendet:

%1</translation>
    </message>
    <message>
        <source>Free Sondrel cannot open %1. It opens disc images (.cue, .toc, .nrg) and CD drives (/dev/sr0).</source>
        <translation>Free Sondrel kann %1 nicht öffnen. Es öffnet CD-Abbilder (.cue, .toc, .nrg) und CD-Laufwerke (/dev/sr0).</translation>
    </message>
</context>
</TS>
