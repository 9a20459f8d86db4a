<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
    <name>TArVerdict</name>
    <message>
        <source>not checked</source>
        <translation>nicht geprüft</translation>
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
