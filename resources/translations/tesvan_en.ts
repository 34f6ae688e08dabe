<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AnimationDlg</name>
    <message>
        <source>表示倍率</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>%1倍</source>
        <translation>%1×</translation>
    </message>
    <message>
        <source>アニメーション表示</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>BatchExport</name>
    <message>
        <source>--scale には 1 から 16 の整数を指定してください。</source>
        <translation>--scale takes a whole number from 1 to 16.</translation>
    </message>
    <message>
        <source>二つのファイルが同じ名前 %1 になります (スロットごとに名前を付けるか、プレースホルダーを加えてください)。</source>
        <translation>Two pictures would both be named %1 (give each slot its own name or add placeholders).</translation>
    </message>
    <message>
        <source>--format は --data と共に使います。</source>
        <translation>--format belongs to --data.</translation>
    </message>
    <message>
        <source>--format には json-hash か json-array を指定してください。</source>
        <translation>--format takes json-hash or json-array.</translation>
    </message>
    <message>
        <source>--data はシートの書き出しにだけ使えます (--anime やプレースホルダーとは使えません)。</source>
        <translation>--data goes with the sheet only, not with --anime or placeholders.</translation>
    </message>
    <message>
        <source>--anime は一つのアニメーションを書き出します。プレースホルダーは使えません。</source>
        <translation>--anime writes one animation; placeholders are not used with it.</translation>
    </message>
    <message>
        <source>--anime は .gif か .webp のファイルに書き出します。</source>
        <translation>--anime writes a .gif or .webp file.</translation>
    </message>
    <message>
        <source>--anime には 1 から 4 のスロット番号かスロットの名前を指定してください。</source>
        <translation>--anime takes a slot from 1 to 4 or a slot&apos;s name.</translation>
    </message>
    <message>
        <source>アニメーション %1 はありません (1 から 4 かスロットの名前を指定してください)。</source>
        <translation>There is no animation slot %1 (give 1 to 4 or a slot&apos;s name).</translation>
    </message>
    <message>
        <source>--console には gba、snes、md、pce のどれかを指定してください。</source>
        <translation>--console takes gba, snes, md or pce.</translation>
    </message>
    <message>
        <source>--first-bank には 0 から 15 のバンクを指定してください。</source>
        <translation>--first-bank takes a bank from 0 to 15.</translation>
    </message>
    <message>
        <source>--dedupe には none、exact、flip のどれかを指定してください。</source>
        <translation>--dedupe takes none, exact or flip.</translation>
    </message>
    <message>
        <source>マップ %1 はありません (番号かマップの名前を指定してください)。</source>
        <translation>There is no chip map %1 (give its number or its name).</translation>
    </message>
    <message>
        <source>コンソールの規則に合わないタイルが %1 個あるため、何も書き出していません。</source>
        <translation>Nothing was written: %1 tile(s) break the console's rules.</translation>
    </message>
</context>
<context>
    <name>BatchMode</name>
    <message>
        <source>使い方は &apos;tesvan --help&apos; で表示されます。</source>
        <translation>Run &apos;tesvan --help&apos; for the usage.</translation>
    </message>
    <message>
        <source>レイヤー %1 にはイメージがありません。</source>
        <translation>Layer %1 has no image.</translation>
    </message>
    <message>
        <source>--version、--list-commands、--info、--export、--script のどれか一つを指定してください。</source>
        <translation>Give exactly one of --version, --list-commands, --info, --export, --script.</translation>
    </message>
    <message>
        <source>--%1 が二度以上指定されています。</source>
        <translation>--%1 is given more than once.</translation>
    </message>
    <message>
        <source>--layer は --export と共に使います。</source>
        <translation>--layer belongs to --export.</translation>
    </message>
    <message>
        <source>--%1 は --export と共に使います。</source>
        <translation>--%1 belongs to --export.</translation>
    </message>
    <message>
        <source>--%1 には値が必要です。</source>
        <translation>--%1 needs a value.</translation>
    </message>
    <message>
        <source>--%1 は --layer と共には使えません。</source>
        <translation>--%1 does not go with --layer.</translation>
    </message>
    <message>
        <source>--version はファイルを取りません。</source>
        <translation>--version takes no file.</translation>
    </message>
    <message>
        <source>--list-commands はファイルを取りません。</source>
        <translation>--list-commands takes no file.</translation>
    </message>
    <message>
        <source>--info はファイルを一つ取ります。</source>
        <translation>--info takes one file.</translation>
    </message>
    <message>
        <source>--info にはファイルが必要です。</source>
        <translation>--info needs a file.</translation>
    </message>
    <message>
        <source>--export には出力ファイルが必要です。</source>
        <translation>--export needs an output file.</translation>
    </message>
    <message>
        <source>--export はドキュメントを一つ取ります。</source>
        <translation>--export takes one document.</translation>
    </message>
    <message>
        <source>--layer には 0 から 11 のスロットを指定してください。</source>
        <translation>--layer takes a slot from 0 to 11.</translation>
    </message>
    <message>
        <source>--script が取るドキュメントは一つまでです。</source>
        <translation>--script takes at most one document.</translation>
    </message>
    <message>
        <source>--script にはスクリプト ファイルが必要です。</source>
        <translation>--script needs a script file.</translation>
    </message>
    <message>
        <source>--map で書き出せるのは .tmx、.tmj、.png です。</source>
        <translation>--map writes .tmx, .tmj or .png.</translation>
    </message>
    <message>
        <source>--scale はマップの .png 画像にだけ指定できます。</source>
        <translation>--scale goes only with a .png map picture.</translation>
    </message>
    <message>
        <source>マップ %1 はありません (1 から %2 の番号かマップの名前を指定してください)。</source>
        <translation>There is no map %1 (give 1 to %2 or a map&apos;s name).</translation>
    </message>
    <message>
        <source>--map は --data、--format、--anime と一緒には指定できません。</source>
        <translation>--map does not go with --data, --format or --anime.</translation>
    </message>
    <message>
        <source>--%1 は --export と --console と共に使います。</source>
        <translation>--%1 belongs to --export with --console.</translation>
    </message>
    <message>
        <source>--console は --export と共に使います。</source>
        <translation>--console belongs to --export.</translation>
    </message>
    <message>
        <source>--%1 は --console と共には使えません。</source>
        <translation>--%1 does not go with --console.</translation>
    </message>
</context>
<context>
    <name>CFolderDialog</name>
    <message>
        <source>不正なパスが選択されました。</source>
        <translation>The selected path is not valid.</translation>
    </message>
    <message>
        <source>フォルダー選択ダイアログ</source>
        <translation>Choose a Folder</translation>
    </message>
</context>
<context>
    <name>CHelpWindow</name>
    <message>
        <source>Tesvan ヘルプ</source>
        <translation>Tesvan Help</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>このビルドにはマニュアルが含まれていません。</source>
        <translation>This build has no manual.</translation>
    </message>
</context>
<context>
    <name>CLeftView</name>
    <message>
        <source>グローバル パレット</source>
        <translation>Global palette</translation>
    </message>
    <message>
        <source>レイヤー パレット</source>
        <translation>Layer palette</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>%1倍</source>
        <translation>%1×</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>レディ</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>シンメトリー</source>
        <translation>Symmetry</translation>
    </message>
</context>
<context>
    <name>COnionSettingsBox</name>
    <message>
        <source>オニオンスキン</source>
        <translation>Onion Skin</translation>
    </message>
    <message>
        <source>前のフレームの色</source>
        <translation>Previous frame colour</translation>
    </message>
    <message>
        <source>次のフレームの色</source>
        <translation>Next frame colour</translation>
    </message>
    <message>
        <source>不透明度</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>前後のフレーム数</source>
        <translation>Frames each way</translation>
    </message>
</context>
<context>
    <name>CTesvanApp</name>
    <message>
        <source>バージョン情報 Tesvan</source>
        <translation>About Tesvan</translation>
    </message>
    <message>
        <source>MIT ライセンスで配布されています。</source>
        <translation>Distributed under the MIT licence.</translation>
    </message>
    <message>
        <source>Qt %1 を使用しています。</source>
        <translation>Built with Qt %1.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>--lang に使える言語は en と ja です: %1</source>
        <translation>--lang takes en or ja, not %1</translation>
    </message>
    <message>
        <source>この使い方を表示して終了します</source>
        <translation>Print this help and exit</translation>
    </message>
    <message>
        <source>バージョンを表示して終了します</source>
        <translation>Print the version and exit</translation>
    </message>
    <message>
        <source>ドキュメントの内容を JSON で表示します</source>
        <translation>Print a document as JSON</translation>
    </message>
    <message>
        <source>合成したシートを OUT に書き出します (形式は拡張子で決まります)</source>
        <translation>Write the composed sheet to OUT (format from OUT&apos;s extension)</translation>
    </message>
    <message>
        <source>--export でレイヤー N (0 から 11) だけを書き出します</source>
        <translation>With --export, write only layer slot N (0 to 11)</translation>
    </message>
    <message>
        <source>--export でスプライトシートのデータも書き出します</source>
        <translation>With --export, also write the sprite-sheet data</translation>
    </message>
    <message>
        <source>--data の JSON の形式</source>
        <translation>JSON layout of --data</translation>
    </message>
    <message>
        <source>--export で N 倍 (1 から 16) に拡大して書き出します</source>
        <translation>With --export, scale the picture N times (1 to 16)</translation>
    </message>
    <message>
        <source>--export でアニメーション K (1 から 4 か名前) を GIF か WebP で書き出します</source>
        <translation>With --export, write animation K (1 to 4 or its name) as GIF or WebP</translation>
    </message>
    <message>
        <source>スクリプトを実行します (FILE.tvn を開いてから)</source>
        <translation>Run a script (after opening FILE.tvn)</translation>
    </message>
    <message>
        <source>コマンドの一覧を表示します</source>
        <translation>List every command</translation>
    </message>
    <message>
        <source>FILE.tvn を既定のプリンターで印刷します</source>
        <translation>Print FILE.tvn on the default printer</translation>
    </message>
    <message>
        <source>FILE.tvn を PRINTER で印刷します (.pdf で終わる名前はその PDF ファイルに)</source>
        <translation>Print FILE.tvn on PRINTER (a name ending in .pdf writes that PDF file)</translation>
    </message>
    <message>
        <source>表示の言語 (省略時はロケールと設定で決まります)</source>
        <translation>Interface language (default: from the settings and the locale)</translation>
    </message>
    <message>
        <source>不明なオプションです: %1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>%1 は値を取りません</source>
        <translation>%1 takes no value</translation>
    </message>
    <message>
        <source>%1 には値が必要です</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>使い方: tesvan [オプション] [FILE.tvn]</source>
        <translation>Usage: tesvan [OPTION]... [FILE.tvn]</translation>
    </message>
    <message>
        <source>オプションなしでエディターを開きます。</source>
        <translation>Without options, opens the editor.</translation>
    </message>
    <message>
        <source>終了状態: 0 成功、1 ファイル操作の失敗、2 誤った呼び出し、3 答えのないダイアログ</source>
        <translation>Exit status: 0 success, 1 a file operation failed, 2 malformed invocation, 3 a dialog had no answer</translation>
    </message>
    <message>
        <source>使い方は &apos;tesvan --help&apos; で表示されます。</source>
        <translation>Try &apos;tesvan --help&apos; for more information.</translation>
    </message>
    <message>
        <source>--export でタイル、マップ、パレットをコンソールの形式で OUT.tiles.bin, OUT.map.bin, OUT.pal.bin, OUT.h に書き出します</source>
        <translation>With --export, write tiles, map and palette in a console&apos;s formats to OUT.tiles.bin, OUT.map.bin, OUT.pal.bin, OUT.h</translation>
    </message>
    <message>
        <source>--console でコンソールのバンク 0 になるドキュメントのバンク (0 から 15)</source>
        <translation>With --console, the document bank that becomes the console&apos;s bank 0 (0 to 15)</translation>
    </message>
    <message>
        <source>--console で同じタイル (flip では反転したものも) を一つにまとめます</source>
        <translation>With --console, store identical tiles (with flip, mirrored ones too) once</translation>
    </message>
    <message>
        <source>--export でマップ K (1 から か名前) を Tiled の .tmx、.tmj か .png で書き出します</source>
        <translation>with --export, writes map K (from 1, or its name) as a Tiled .tmx or .tmj, or as a .png</translation>
    </message>
</context>
<context>
    <name>ExchangeDialogs</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>サイズ設定</source>
        <translation>Sheet Size</translation>
    </message>
    <message>
        <source>キャラクターサイズ</source>
        <translation>Cell size</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>高</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>キャラクター数</source>
        <translation>Cell count</translation>
    </message>
    <message>
        <source>横</source>
        <translation>Across</translation>
    </message>
    <message>
        <source>列</source>
        <translation>columns</translation>
    </message>
    <message>
        <source>縦</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>行</source>
        <translation>rows</translation>
    </message>
    <message>
        <source>解像度</source>
        <translation>Colour depth</translation>
    </message>
    <message>
        <source>設定読込</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>イメージ読込設定</source>
        <translation>Import Image</translation>
    </message>
    <message>
        <source>読込チップの列数</source>
        <translation>Chip columns to read</translation>
    </message>
    <message>
        <source>拡大時ぼかし度</source>
        <translation>Blur when enlarging</translation>
    </message>
    <message>
        <source>32bitカラーでないときの透過色</source>
        <translation>Transparent colour of images without alpha</translation>
    </message>
    <message>
        <source>8bitカラー</source>
        <translation>8-bit colour</translation>
    </message>
    <message>
        <source>24bitカラー</source>
        <translation>24-bit colour</translation>
    </message>
</context>
<context>
    <name>PalettePresenters</name>
    <message>
        <source>グラデーションパレット作成</source>
        <translation>Make Gradation</translation>
    </message>
    <message>
        <source>ファースト</source>
        <translation>First</translation>
    </message>
    <message>
        <source>センター</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>ラスト</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change...</translation>
    </message>
    <message>
        <source>自動作成の処理</source>
        <translation>Automatic creation</translation>
    </message>
    <message>
        <source>自動作成は、センター色を元に明暗グラデーションを作成します。</source>
        <translation>Automatic creation builds a light-to-dark gradation around the centre colour.</translation>
    </message>
    <message>
        <source>明度</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>光・影</source>
        <translation>Light/shadow</translation>
    </message>
    <message>
        <source>明</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Middle</translation>
    </message>
    <message>
        <source>暗</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>明度は0から100です。</source>
        <translation>Brightness runs from 0 to 100.</translation>
    </message>
    <message>
        <source>HSB(V)カラーの明度を使用</source>
        <translation>Use HSB (V) brightness</translation>
    </message>
    <message>
        <source>ハイライト・シャドウを使用</source>
        <translation>Use highlight and shadow</translation>
    </message>
    <message>
        <source>センターのカラーが選ばれた時自動作成する</source>
        <translation>Create automatically when the centre colour is chosen</translation>
    </message>
    <message>
        <source>自動作成設定を保存する</source>
        <translation>Remember these settings</translation>
    </message>
    <message>
        <source>自動作成</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>レイヤープロパティー</source>
        <translation>Layer Properties</translation>
    </message>
    <message>
        <source>レイヤー名</source>
        <translation>Layer name</translation>
    </message>
    <message>
        <source>既定のフォルダー</source>
        <translation>Default folder</translation>
    </message>
</context>
<context>
    <name>PreferencesDlg</name>
    <message>
        <source>キャンセル</source>
        <translation type="vanished">Cancel</translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>プリンター %1 が見つかりません。</source>
        <translation>There is no printer named %1.</translation>
    </message>
    <message>
        <source>既定のプリンターがありません。</source>
        <translation>There is no default printer.</translation>
    </message>
    <message>
        <source>印刷できませんでした。</source>
        <translation>The document was not printed.</translation>
    </message>
</context>
<context>
    <name>ScriptRunner</name>
    <message>
        <source>エディターを起動できませんでした。</source>
        <translation>The editor could not start.</translation>
    </message>
</context>
<context>
    <name>ShellPrint</name>
    <message>
        <source>使い方: tesvan --print FILE.tvn
        tesvan --print-to=PRINTER FILE.tvn
</source>
        <translation>usage: tesvan --print FILE.tvn
       tesvan --print-to=PRINTER FILE.tvn
</translation>
    </message>
</context>
</TS>
