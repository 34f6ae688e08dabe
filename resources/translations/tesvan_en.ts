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
    <name>Print</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>PreferencesDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
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
</TS>
