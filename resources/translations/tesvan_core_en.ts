<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>core</name>
    <message>
        <source>新規作成(&amp;N)	Ctrl+N</source>
        <translation>&amp;New	Ctrl+N</translation>
    </message>
    <message>
        <source>新規にファイルを作成
新規ファイル</source>
        <translation>Create a new document
New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>既存のファイルを開く
開く</source>
        <translation>Open an existing document
Open</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)	Ctrl+S</source>
        <translation>&amp;Save	Ctrl+S</translation>
    </message>
    <message>
        <source>作業中のファイルを上書きして保存
保存</source>
        <translation>Save the document
Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>作業中のファイルを新しい名前で保存
名前をつけて保存</source>
        <translation>Save the document under a new name
Save As</translation>
    </message>
    <message>
        <source>イメージファイルへ保存</source>
        <translation>Export Image...</translation>
    </message>
    <message>
        <source>データをjpg,gif,png,bmp 形式で保存</source>
        <translation>Save the sheet as a PNG, GIF, BMP or JPEG picture</translation>
    </message>
    <message>
        <source>イメージサイズ変更</source>
        <translation>Sheet Size...</translation>
    </message>
    <message>
        <source>パレットの保存</source>
        <translation>Save Palette...</translation>
    </message>
    <message>
        <source>パレット読込</source>
        <translation>Load Palette...</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>作業中のファイルを印刷
印刷</source>
        <translation>Print the sheet
Print</translation>
    </message>
    <message>
        <source>最近使ったファイル</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>指定のファイルを開く</source>
        <translation>Open this document</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Tesvanを終了し、ファイルの保存を指示
終了</source>
        <translation>Quit Tesvan, offering to save the document
Exit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>直前に行った動作を元に戻す
元に戻す</source>
        <translation>Undo the last action
Undo</translation>
    </message>
    <message>
        <source>範囲選択</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>範囲選択	M</source>
        <translation>Select	M</translation>
    </message>
    <message>
        <source>選択ツール</source>
        <translation>Selection tool</translation>
    </message>
    <message>
        <source>全レイヤー範囲選択</source>
        <translation>Select on All Layers</translation>
    </message>
    <message>
        <source>全レイヤー範囲選択	Shift+M</source>
        <translation>Select on All Layers	Shift+M</translation>
    </message>
    <message>
        <source>全レイヤー選択</source>
        <translation>Select on all layers</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>選択範囲を切り取ってクリップボードに保存
切り取り</source>
        <translation>Cut the selection to the clipboard
Cut</translation>
    </message>
    <message>
        <source>コピー(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>選択範囲をコピーしてクリップボードに保存
コピー</source>
        <translation>Copy the selection to the clipboard
Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>クリップボードの内容を貼り付け
貼り付け</source>
        <translation>Paste from the clipboard
Paste</translation>
    </message>
    <message>
        <source>透過貼り付け(V)	Ctrl+Shift+V</source>
        <translation>Paste Transparent	Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>スポイト</source>
        <translation>Eyedropper</translation>
    </message>
    <message>
        <source>スポイト	I</source>
        <translation>Eyedropper	I</translation>
    </message>
    <message>
        <source>貼付範囲回転90°</source>
        <translation>Rotate Paste 90°</translation>
    </message>
    <message>
        <source>貼付範囲を90°回転</source>
        <translation>Rotate the paste by 90°</translation>
    </message>
    <message>
        <source>貼付範囲左右反転</source>
        <translation>Flip Paste Horizontally</translation>
    </message>
    <message>
        <source>貼付範囲を左右反転</source>
        <translation>Flip the paste horizontally</translation>
    </message>
    <message>
        <source>貼付範囲上下反転</source>
        <translation>Flip Paste Vertically</translation>
    </message>
    <message>
        <source>貼付範囲を上下反転</source>
        <translation>Flip the paste vertically</translation>
    </message>
    <message>
        <source>アニメーション</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>ツール バー(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ステータス バー(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>ステータス バーの表示/非表示
ステータス バーの表示切り替え</source>
        <translation>Show or hide the status bar
Toggle status bar</translation>
    </message>
    <message>
        <source>拡大</source>
        <translation>Zoom 8×</translation>
    </message>
    <message>
        <source>拡大・縮小</source>
        <translation>Switch the canvas between 4× and 8×</translation>
    </message>
    <message>
        <source>選択レイヤーのみ表示</source>
        <translation>Show Current Layer Only</translation>
    </message>
    <message>
        <source>作業中のレイヤーのみ表示します</source>
        <translation>Show only the current layer</translation>
    </message>
    <message>
        <source>背景カラーの変更</source>
        <translation>Background Colour...</translation>
    </message>
    <message>
        <source>グリッド</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>キャラクタ分割ライン</source>
        <translation>Cell Lines</translation>
    </message>
    <message>
        <source>１ピクセルの線</source>
        <translation>1-Pixel Line</translation>
    </message>
    <message>
        <source>２ピクセルの線</source>
        <translation>2-Pixel Line</translation>
    </message>
    <message>
        <source>３ピクセルの線</source>
        <translation>3-Pixel Line</translation>
    </message>
    <message>
        <source>鉛筆</source>
        <translation>Pencil</translation>
    </message>
    <message>
        <source>鉛筆	B</source>
        <translation>Pencil	B</translation>
    </message>
    <message>
        <source>直線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>直線	L</source>
        <translation>Line	L</translation>
    </message>
    <message>
        <source>四角形枠</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>四角形枠	U</source>
        <translation>Rectangle	U</translation>
    </message>
    <message>
        <source>四角形</source>
        <translation>Filled Rectangle</translation>
    </message>
    <message>
        <source>四角形	Shift+U</source>
        <translation>Filled Rectangle	Shift+U</translation>
    </message>
    <message>
        <source>楕円枠</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>楕円枠	O</source>
        <translation>Ellipse	O</translation>
    </message>
    <message>
        <source>楕円</source>
        <translation>Filled Ellipse</translation>
    </message>
    <message>
        <source>楕円	Shift+O</source>
        <translation>Filled Ellipse	Shift+O</translation>
    </message>
    <message>
        <source>曲線</source>
        <translation>Curve</translation>
    </message>
    <message>
        <source>曲線	C</source>
        <translation>Curve	C</translation>
    </message>
    <message>
        <source>曲線
CtrlまたはShiftキー押し下げで連続</source>
        <translation>Curve
Hold Ctrl or Shift to continue</translation>
    </message>
    <message>
        <source>塗りつぶし</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>塗りつぶし	G</source>
        <translation>Fill	G</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>テキスト	T</source>
        <translation>Text	T</translation>
    </message>
    <message>
        <source>フォント設定</source>
        <translation>Font...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプ トピックの一覧
ヘルプ トピック</source>
        <translation>Open the user manual
Help</translation>
    </message>
    <message>
        <source>バージョン情報 Tesvan(&amp;A)...</source>
        <translation>&amp;About Tesvan...</translation>
    </message>
    <message>
        <source>プログラム情報、バージョン、著作権を表示します。
バージョン情報</source>
        <translation>Show the version, licence and copyright
About</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Visible</translation>
    </message>
    <message>
        <source>プロパティー変更</source>
        <translation>Properties...</translation>
    </message>
    <message>
        <source>レイヤー名、チップページ変更</source>
        <translation>Change the layer name and chip page</translation>
    </message>
    <message>
        <source>左(下)へ移動</source>
        <translation>Move Left (Down)</translation>
    </message>
    <message>
        <source>右(上)へ移動</source>
        <translation>Move Right (Up)</translation>
    </message>
    <message>
        <source>レイヤーデータ保存</source>
        <translation>Save Layer...</translation>
    </message>
    <message>
        <source>レイヤーデータ読込</source>
        <translation>Load Layer...</translation>
    </message>
    <message>
        <source>イメージ読込</source>
        <translation>Import Image...</translation>
    </message>
    <message>
        <source>カラー変更</source>
        <translation>Change Colour...</translation>
    </message>
    <message>
        <source>8色グラデーション作成</source>
        <translation>8-Colour Gradation...</translation>
    </message>
    <message>
        <source>16色グラデーション作成</source>
        <translation>16-Colour Gradation...</translation>
    </message>
    <message>
        <source>次のウィンドウに切り替える
次のペイン</source>
        <translation>Switch to the next pane
Next Pane</translation>
    </message>
    <message>
        <source>前のウィンドウに切り替える
前のペイン</source>
        <translation>Switch to the previous pane
Previous Pane</translation>
    </message>
    <message>
        <source>太いブラシ</source>
        <translation>Thick Brush</translation>
    </message>
    <message>
        <source>細いブラシ</source>
        <translation>Thin Brush</translation>
    </message>
    <message>
        <source>カスタマイズ...</source>
        <translation>Customize...</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>描画ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>縮小</source>
        <translation>Zoom 4×</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All Files (*)</translation>
    </message>
    <message>
        <source>範囲外のデータが設定されています。</source>
        <translation>A value is out of range.</translation>
    </message>
    <message>
        <source>早い</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>普通</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>遅い</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>アニメーション設定</source>
        <translation>Animation Settings</translation>
    </message>
    <message>
        <source>イメージID(0から 例:0,1,2,1)</source>
        <translation>Cell numbers (from 0, e.g. 0,1,2,1)</translation>
    </message>
    <message>
        <source>スピード</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>予期しないファイル形式です。</source>
        <translation>Unexpected file format.</translation>
    </message>
    <message>
        <source>ドキュメントを開くことに失敗しました。</source>
        <translation>Failed to open the document.</translation>
    </message>
    <message>
        <source>ドキュメントの保存に失敗しました。</source>
        <translation>Failed to save the document.</translation>
    </message>
    <message>
        <source>%1 への変更を保存しますか?</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>32bitイメージを8bitイメージに変換できません。</source>
        <translation>A 32-bit image cannot be converted to 8 bits.</translation>
    </message>
    <message>
        <source>整数を入力してください。</source>
        <translation>Please enter a whole number.</translation>
    </message>
    <message>
        <source>最大拡大率は%d倍です。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>The largest scale is %1×.</translation>
    </message>
    <message>
        <source>印刷拡大率設定</source>
        <translation>Print Scale</translation>
    </message>
    <message>
        <source>用紙いっぱいに印刷する</source>
        <translation>Fit to the page</translation>
    </message>
    <message>
        <source>拡大率</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>倍</source>
        <translation>×</translation>
    </message>
    <message>
        <source>フォントを変更しました。</source>
        <translation>The font has changed.</translation>
    </message>
    <message>
        <source>レイヤーにイメージがありません。</source>
        <translation>The layer has no image.</translation>
    </message>
    <message>
        <source>切取</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>貼付</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>PNGファイル (*.png)</source>
        <translation>PNG Files (*.png)</translation>
    </message>
    <message>
        <source>Gifフィル (*.gif)</source>
        <translation>GIF Files (*.gif)</translation>
    </message>
    <message>
        <source>Bitmapファイル (*.bmp)</source>
        <translation>Bitmap Files (*.bmp)</translation>
    </message>
    <message>
        <source>JPEG ファイル (*.jpg)</source>
        <translation>JPEG Files (*.jpg)</translation>
    </message>
    <message>
        <source>全体が入らないときは縮小</source>
        <translation>Shrink when it does not fit</translation>
    </message>
    <message>
        <source>原寸（入らないときは切り捨て）</source>
        <translation>Actual size (cut off what does not fit)</translation>
    </message>
    <message>
        <source>縦横比を変えて全体に会わせる</source>
        <translation>Stretch to fit the whole sheet</translation>
    </message>
    <message>
        <source>横比に拡大縮小、行数を増やす</source>
        <translation>Scale to the width, adding rows</translation>
    </message>
    <message>
        <source>マップチップ追加読み込み(行数追加)</source>
        <translation>Add as map chips (adding rows)</translation>
    </message>
    <message>
        <source>インデックス0</source>
        <translation>Index 0</translation>
    </message>
    <message>
        <source>透過しない</source>
        <translation>None</translation>
    </message>
    <message>
        <source>白</source>
        <translation>White</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>イメージの読み込みに失敗しました。</source>
        <translation>Failed to read the image.</translation>
    </message>
    <message>
        <source>32bitカラーのイメージに変換出来ませんでした。</source>
        <translation>The image could not be converted to 32-bit colour.</translation>
    </message>
    <message>
        <source>読込イメージ列数を０以下にはできません。</source>
        <translation>The number of chip columns must be above 0.</translation>
    </message>
    <message>
        <source>計算した行数が０になりました。</source>
        <translation>The computed number of rows is 0.</translation>
    </message>
    <message>
        <source>読み込むイメージのキャラ幅が０になりました</source>
        <translation>The cell width of the image came out as 0</translation>
    </message>
    <message>
        <source>読み込むイメージのキャラ高が０になりました</source>
        <translation>The cell height of the image came out as 0</translation>
    </message>
    <message>
        <source>イメージの作成に失敗しました。</source>
        <translation>Failed to create the image.</translation>
    </message>
    <message>
        <source>レイヤーファイル (*.lay)</source>
        <translation>Layer Files (*.lay)</translation>
    </message>
    <message>
        <source>データサイズが違います。</source>
        <translation>The data size does not match.</translation>
    </message>
    <message>
        <source>データを読み込めませんでした。</source>
        <translation>The data could not be read.</translation>
    </message>
    <message>
        <source>行数または列数が0です。設定はキャンセルされました。</source>
        <translation>The number of rows or columns is 0. The change was cancelled.</translation>
    </message>
    <message>
        <source>32bitイメージを8bitイメージに変換出来ません。データを破棄しますか？</source>
        <translation>A 32-bit image cannot be converted to 8 bits. Discard the images?</translation>
    </message>
    <message>
        <source>イメージが切り捨てられますが、サイズを変更しますか？</source>
        <translation>Part of the images will be cut off. Change the size anyway?</translation>
    </message>
    <message>
        <source>0 から 100 までの整数を入力してください。</source>
        <translation>Please enter a whole number from 0 to 100.</translation>
    </message>
    <message>
        <source>パレット ファイル (*.plt)</source>
        <translation>Palette Files (*.plt)</translation>
    </message>
    <message>
        <source>元に戻す(%1)(&amp;U)	Ctrl+Z</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>&amp;Undo %1	Ctrl+Z</translation>
    </message>
    <message>
        <source>この機能はまだ使えません。(%1)</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>This feature is not available yet. (%1)</translation>
    </message>
    <message>
        <source>%1 から %2 までの整数を入力してください。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Please enter a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>全フレームを連続したキャラに読込</source>
        <translation>Every frame into consecutive cells</translation>
    </message>
    <message>
        <source>画像の透過色</source>
        <translation>The picture&apos;s own transparent colour</translation>
    </message>
    <message>
        <source>GIMP パレット (*.gpl)</source>
        <translation>GIMP Palettes (*.gpl)</translation>
    </message>
    <message>
        <source>JASC パレット (*.pal)</source>
        <translation>JASC Palettes (*.pal)</translation>
    </message>
    <message>
        <source>Adobe カラーテーブル (*.act)</source>
        <translation>Adobe Colour Tables (*.act)</translation>
    </message>
    <message>
        <source>16進カラーリスト (*.hex)</source>
        <translation>Hex Colour Lists (*.hex)</translation>
    </message>
    <message>
        <source>パレットに入りきらない %1 色は読み込みませんでした。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 colours did not fit in the palette and were not loaded.</translation>
    </message>
    <message>
        <source>元に戻せる操作の数</source>
        <translation>Steps that can be undone</translation>
    </message>
    <message>
        <source>回</source>
        <translation>steps</translation>
    </message>
    <message>
        <source>履歴に使うメモリの上限</source>
        <translation>Memory the history may use</translation>
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
    <message>
        <source>環境設定</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>%1 – %2</source>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)	Ctrl+Y</source>
        <translation>&amp;Redo	Ctrl+Y</translation>
    </message>
    <message>
        <source>元に戻した動作をやり直す
やり直し</source>
        <translation>Redo the last undone action
Redo</translation>
    </message>
    <message>
        <source>環境設定...</source>
        <translation>Preferences...</translation>
    </message>
    <message>
        <source>履歴の段数と使うメモリを設定
環境設定</source>
        <translation>Set the history's steps and memory
Preferences</translation>
    </message>
    <message>
        <source>ズームイン	Ctrl++</source>
        <translation>Zoom In	Ctrl++</translation>
    </message>
    <message>
        <source>キャンバスの表示倍率を上げる
ズームイン</source>
        <translation>Magnify the canvas
Zoom In</translation>
    </message>
    <message>
        <source>ズームアウト	Ctrl+-</source>
        <translation>Zoom Out	Ctrl+-</translation>
    </message>
    <message>
        <source>キャンバスの表示倍率を下げる
ズームアウト</source>
        <translation>Reduce the canvas
Zoom Out</translation>
    </message>
    <message>
        <source>隣のキャラを表示</source>
        <translation>Show Neighbouring Cells</translation>
    </message>
    <message>
        <source>現在のキャラの周りに隣のキャラを薄く表示
隣のキャラを表示</source>
        <translation>Show the neighbouring cells dimmed around the current one
Show Neighbouring Cells</translation>
    </message>
    <message>
        <source>オニオンスキン	F7</source>
        <translation>Onion Skin	F7</translation>
    </message>
    <message>
        <source>前後のフレームを透かして表示
オニオンスキン</source>
        <translation>Show the previous and next frames through the current one
Onion Skin</translation>
    </message>
    <message>
        <source>タイルモード</source>
        <translation>Tile Mode</translation>
    </message>
    <message>
        <source>セルの端で折り返して描画</source>
        <translation>Draw wrapping around the cell's edges</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>左右</source>
        <translation>Left-Right</translation>
    </message>
    <message>
        <source>左右対称に描画</source>
        <translation>Draw mirrored left and right</translation>
    </message>
    <message>
        <source>上下</source>
        <translation>Up-Down</translation>
    </message>
    <message>
        <source>上下対称に描画</source>
        <translation>Draw mirrored up and down</translation>
    </message>
    <message>
        <source>上下左右</source>
        <translation>Both</translation>
    </message>
    <message>
        <source>上下左右対称に描画</source>
        <translation>Draw mirrored both ways</translation>
    </message>
    <message>
        <source>ピクセルパーフェクト</source>
        <translation>Pixel-Perfect Pencil</translation>
    </message>
    <message>
        <source>１ピクセルの鉛筆で角の重なりを描かない</source>
        <translation>Leave out the corner pixels of 1-pixel pencil strokes</translation>
    </message>
    <message>
        <source>やり直し(%1)(&amp;R)	Ctrl+Y</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>&amp;Redo %1	Ctrl+Y</translation>
    </message>
    <message>
        <source>ディスクに十分な空き領域がありません。</source>
        <translation>There is not enough space on the disk.</translation>
    </message>
    <message>
        <source>ディスク クォータの上限を超えました。</source>
        <translation>The disk quota has been exceeded.</translation>
    </message>
    <message>
        <source>アクセスが拒否されました。</source>
        <translation>Access was denied.</translation>
    </message>
    <message>
        <source>指定されたパスが見つかりません。</source>
        <translation>The path was not found.</translation>
    </message>
    <message>
        <source>読み取り専用のファイル システムです。</source>
        <translation>The file system is read-only.</translation>
    </message>
    <message>
        <source>デバイスの入出力エラーです。</source>
        <translation>The device reported an input/output error.</translation>
    </message>
    <message>
        <source>指定されたパスはフォルダーです。</source>
        <translation>The path is a folder.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます。</source>
        <translation>The file name is too long.</translation>
    </message>
    <message>
        <source>シンボリック リンクが多すぎます。</source>
        <translation>There are too many symbolic links.</translation>
    </message>
    <message>
        <source>メモリが不足しています。</source>
        <translation>There is not enough memory.</translation>
    </message>
    <message>
        <source>パラメーターが間違っています。</source>
        <translation>A parameter is invalid.</translation>
    </message>
    <message>
        <source>%1 は読み取り専用のため上書きできません。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 is read-only and cannot be overwritten.</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした。%2</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 could not be written. %2</translation>
    </message>
    <message>
        <source>%1 を読み込めませんでした。%2</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 could not be read. %2</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした。この拡張子の画像形式には対応していません。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 could not be written. Pictures with this extension are not supported.</translation>
    </message>
    <message>
        <source>復元するコピーを選んでください。</source>
        <translation>Please choose a copy to restore.</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1: アルファ %2</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1: alpha %2</translation>
    </message>
    <message>
        <source>色%1  </source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Colour %1  </translation>
    </message>
    <message>
        <source>  アルファ %1</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>  alpha %1</translation>
    </message>
    <message>
        <source>変更の復元</source>
        <translation>Recover Changes</translation>
    </message>
    <message>
        <source>保存されずに終了した編集の復元用コピーがあります。</source>
        <translation>There are recovery copies of edits that were never saved.</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>場所</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>復元</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>破棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>後で</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>復元用のコピーを書き込めませんでした。
%1</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>The recovery copy could not be written.
%1</translation>
    </message>
    <message>
        <source>読み込めない復元用のコピーを移動しました。%1</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Recovery copies that could not be read were moved aside.%1</translation>
    </message>
    <message>
        <source>サイズ変更</source>
        <translation>Resize</translation>
    </message>
    <message>
        <source>レイヤー読込</source>
        <translation>Load Layer</translation>
    </message>
    <message>
        <source>復元した内容で %1 を上書きしますか?</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Overwrite %1 with the recovered contents?</translation>
    </message>
    <message>
        <source>表示言語</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>表示言語は次回の起動から切り替わります。</source>
        <translation>A new interface language takes effect the next time Tesvan starts.</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>日本語</translation>
    </message>
    <message>
        <source>表示言語には ja、en または空 (自動) を指定してください。</source>
        <translation>The interface language must be ja, en or empty (automatic).</translation>
    </message>
    <message>
        <source>再生方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>名前を入力してください。</source>
        <translation>Please enter a name.</translation>
    </message>
    <message>
        <source>アニメーション書き出し...</source>
        <translation>Export Animation...</translation>
    </message>
    <message>
        <source>アニメーションをGIF、WebP、シートとJSON、キャラ毎の画像で書き出し</source>
        <translation>Export an animation as GIF, WebP, a sheet with JSON, or one picture per cell</translation>
    </message>
    <message>
        <source>拡張データが壊れているため、アニメーションの名前と再生方向、表示倍率は読み込みませんでした。</source>
        <translation>The extension data is damaged, so the animation names and directions and the zoom were not loaded.</translation>
    </message>
    <message>
        <source>順方向</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>逆方向</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>往復</source>
        <translation>Ping-pong</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>倍率</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>出力ファイル名</source>
        <translation>Output file name</translation>
    </message>
    <message>
        <source>書き出し中...</source>
        <translation>Exporting...</translation>
    </message>
    <message>
        <source>アニメーション書き出し</source>
        <translation>Export Animation</translation>
    </message>
    <message>
        <source>倍率は1から16の整数で指定してください。</source>
        <translation>The scale must be a whole number from 1 to 16.</translation>
    </message>
    <message>
        <source>そのアニメーションはありません。</source>
        <translation>There is no such animation.</translation>
    </message>
    <message>
        <source>アニメーションにシート内のキャラが設定されていません。</source>
        <translation>The animation has no cells of the sheet.</translation>
    </message>
    <message>
        <source>イメージのあるレイヤーがありません。</source>
        <translation>No layer has an image.</translation>
    </message>
    <message>
        <source>%1 の形式では書き出せません。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 cannot be exported in this format.</translation>
    </message>
    <message>
        <source>ファイル名に {cell}、{layer}、{anime} または {frame} を含めてください。</source>
        <translation>The file name must contain {cell}, {layer}, {anime} or {frame}.</translation>
    </message>
    <message>
        <source>書き出すファイルの名前が重複します: %1</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Two exported files would have the same name: %1</translation>
    </message>
    <message>
        <source>書き出すイメージがありません。</source>
        <translation>There is no image to export.</translation>
    </message>
    <message>
        <source>イメージが大きすぎて書き出せません。</source>
        <translation>The image is too large to export.</translation>
    </message>
    <message>
        <source>書き出しを中止しました。</source>
        <translation>The export was cancelled.</translation>
    </message>
    <message>
        <source>シート+JSON</source>
        <translation>Sheet + JSON</translation>
    </message>
    <message>
        <source>キャラ毎のPNG</source>
        <translation>PNG per Cell</translation>
    </message>
    <message>
        <source>出力ファイル名を入力してください。</source>
        <translation>Please enter an output file name.</translation>
    </message>
    <message>
        <source>%1 に書き込めませんでした。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>%1 could not be written.</translation>
    </message>
    <message>
        <source>ファイルは使用中です。</source>
        <translation>The file is in use.</translation>
    </message>
    <message>
        <source>開いているファイルが多すぎます。</source>
        <translation>Too many files are open.</translation>
    </message>
    <message>
        <source>デバイスが見つかりません。</source>
        <translation>The device was not found.</translation>
    </message>
    <message>
        <source>応答がないまま時間切れになりました。</source>
        <translation>The operation timed out.</translation>
    </message>
    <message>
        <source>ネットワーク上のファイルがなくなりました。</source>
        <translation>The file on the network is gone.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>ファイルが壊れているか、形式が違います。</source>
        <translation>The file is damaged or of another form.</translation>
    </message>
    <message>
        <source>システム エラー %1 (%2) です。</source>
        <translation>System error %1 (%2).</translation>
    </message>
    <message>
        <source>ドキュメントの保存に失敗しました。
%1</source>
        <translation>Failed to save the document.
%1</translation>
    </message>
    <message>
        <source>ドキュメントを開くことに失敗しました。
%1</source>
        <translation>Failed to open the document.
%1</translation>
    </message>
    <message>
        <source>予期しないファイル形式です。
%1</source>
        <translation>Unexpected file format.
%1</translation>
    </message>
    <message>
        <source>ファイルが空です。</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)	F1</source>
        <translation>&amp;Help	F1</translation>
    </message>
    <message>
        <source>イメージの読み込みに失敗しました。
%1</source>
        <translation>Failed to read the image.
%1</translation>
    </message>
    <message>
        <source>マップ書き出し...</source>
        <translation>Export Map...</translation>
    </message>
    <message>
        <source>マップをTiledの形式(TMX、JSON)または画像で書き出し</source>
        <translation>Export the map in Tiled's formats (TMX, JSON) or as a picture</translation>
    </message>
    <message>
        <source>マップ</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>シートのチップで作るマップのウィンドウ
マップ</source>
        <translation>The window of maps made of the sheet's chips
Map</translation>
    </message>
    <message>
        <source>新規マップ...</source>
        <translation>New Map...</translation>
    </message>
    <message>
        <source>マップのプロパティー...</source>
        <translation>Map Properties...</translation>
    </message>
    <message>
        <source>マップ削除</source>
        <translation>Delete Map</translation>
    </message>
    <message>
        <source>マップレイヤー追加</source>
        <translation>New Map Layer</translation>
    </message>
    <message>
        <source>マップレイヤー削除</source>
        <translation>Delete Map Layer</translation>
    </message>
    <message>
        <source>マップレイヤー表示</source>
        <translation>Show Map Layer</translation>
    </message>
    <message>
        <source>左右反転	X</source>
        <translation>Flip Horizontally	X</translation>
    </message>
    <message>
        <source>上下反転	Y</source>
        <translation>Flip Vertically	Y</translation>
    </message>
    <message>
        <source>右へ90°回転	Z</source>
        <translation>Rotate 90° Right	Z</translation>
    </message>
    <message>
        <source>表示倍率</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>マップで使われているセルがなくなります。それらのマップのセルは空になりますが、サイズを変更しますか？</source>
        <translation>Cells used by maps will be removed, and those map cells will become empty. Change the size anyway?</translation>
    </message>
    <message>
        <source>マップ描画</source>
        <translation>Map Drawing</translation>
    </message>
    <message>
        <source>マップは合わせて1048576チップまでです。</source>
        <translation>A map holds at most 1048576 chips in all.</translation>
    </message>
    <message>
        <source>マップは16個までです。</source>
        <translation>A document holds at most 16 maps.</translation>
    </message>
    <message>
        <source>新規マップ</source>
        <translation>New Map</translation>
    </message>
    <message>
        <source>マップのプロパティー</source>
        <translation>Map Properties</translation>
    </message>
    <message>
        <source>マップ設定</source>
        <translation>Map Settings</translation>
    </message>
    <message>
        <source>幅(チップ)</source>
        <translation>Width (chips)</translation>
    </message>
    <message>
        <source>高さ(チップ)</source>
        <translation>Height (chips)</translation>
    </message>
    <message>
        <source>Tiledマップ (*.tmx)</source>
        <translation>Tiled map (*.tmx)</translation>
    </message>
    <message>
        <source>Tiledマップ JSON (*.tmj)</source>
        <translation>Tiled map JSON (*.tmj)</translation>
    </message>
    <message>
        <source>コンソール書き出し...</source>
        <translation>Export for Console...</translation>
    </message>
    <message>
        <source>タイル、マップ、パレットをコンソールの形式で書き出し</source>
        <translation>Write tiles, map and palette in a console's formats</translation>
    </message>
    <message>
        <source>コンソール検査</source>
        <translation>Console Check</translation>
    </message>
    <message>
        <source>コンソールの決まりに合わないタイルを囲んで表示
コンソール検査</source>
        <translation>Outline the tiles that break the console's rules
Console Check</translation>
    </message>
    <message>
        <source>色の精度...</source>
        <translation>Colour Precision...</translation>
    </message>
    <message>
        <source>パレットの色をコンソールの色の精度に合わせる
色の精度</source>
        <translation>Keep the palette's colours at a console's colour precision
Colour Precision</translation>
    </message>
    <message>
        <source>コンソール書き出し</source>
        <translation>Export for Console</translation>
    </message>
    <message>
        <source>色の精度</source>
        <translation>Colour Precision</translation>
    </message>
    <message>
        <source>フル (24ビット)</source>
        <translation>Full (24 bit)</translation>
    </message>
    <message>
        <source>15ビット</source>
        <translation>15 bit</translation>
    </message>
    <message>
        <source>9ビット</source>
        <translation>9 bit</translation>
    </message>
    <message>
        <source>既定</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>ターゲット</source>
        <translation>Target</translation>
    </message>
    <message>
        <source>最初のバンク</source>
        <translation>First bank</translation>
    </message>
    <message>
        <source>重複タイル</source>
        <translation>Duplicate tiles</translation>
    </message>
    <message>
        <source>コンソールの書き出しと検査は8ビットのドキュメントだけでできます。</source>
        <translation>Console export and check work on 8-bit documents only.</translation>
    </message>
    <message>
        <source>ターゲットは gba, snes, md, pce のどれかです。</source>
        <translation>The target is one of gba, snes, md, pce.</translation>
    </message>
    <message>
        <source>重複の除き方は none, exact, flip のどれかです。</source>
        <translation>Duplicate tiles: none, exact or flip.</translation>
    </message>
    <message>
        <source>コンソールの決まりに合わないタイルがあります:</source>
        <translation>Tiles that break the console's rules:</translation>
    </message>
    <message>
        <source>ほか %1 件</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>コンソールの決まりに合っています (タイル %1 個)。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>The sheet keeps the console's rules (%1 tiles).</translation>
    </message>
    <message>
        <source>cell %1 tile %2,%3: キャラクターの大きさ %4x%5 が8の倍数ではありません</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>cell %1 tile %2,%3: the cell size %4x%5 is not a multiple of 8</translation>
    </message>
    <message>
        <source>cell %1 tile %2,%3: 1つのタイルにバンク %4 と %5 の色があります</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>cell %1 tile %2,%3: colours of banks %4 and %5 in one tile</translation>
    </message>
    <message>
        <source>cell %1 tile %2,%3: バンク %4 はこのコンソールのパレットにありません</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>cell %1 tile %2,%3: bank %4 is not in this console's palette</translation>
    </message>
    <message>
        <source>cell %1 tile %2,%3: タイルがマップで指せる %4 個を超えます</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>cell %1 tile %2,%3: more tiles than the map entries can address (%4)</translation>
    </message>
    <message>
        <source>シート</source>
        <translation>Sheet</translation>
    </message>
    <message>
        <source>マップ %1 はありません。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>There is no map %1.</translation>
    </message>
    <message>
        <source>マップ %1 の %2,%3 で表示中のレイヤーのチップが重なっています。コンソールのマップは1枚です。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Map %1, %2,%3: chips of shown layers overlap. A console's map is one layer.</translation>
    </message>
    <message>
        <source>マップ %1 の %2,%3 のチップが対角線で反転しています。コンソールには対角線の反転がありません。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Map %1, %2,%3: a chip is flipped diagonally. The consoles have no diagonal flip.</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <translation>Not enough memory.</translation>
    </message>
    <message>
        <source>範囲外のデータが設定されています。「%1」</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>A cell number is out of range: “%1”.</translation>
    </message>
    <message>
        <source>範囲の書き方が正しくありません。「%1」(例:0-3)</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>A range is malformed: “%1” (write it like 0-3).</translation>
    </message>
    <message>
        <source>フレームが多すぎます。「%1」</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>Too many frames: “%1”.</translation>
    </message>
    <message>
        <source>ステップ時間(ミリ秒、0 はなし)</source>
        <translation>Step time (ms, 0 = none)</translation>
    </message>
    <message>
        <source>ステップ時間には 0 (なし) か 20 から 10000 までの整数を入力してください。</source>
        <translation>Enter 0 (none) or a whole number from 20 to 10000 as the step time.</translation>
    </message>
    <message>
        <source>画像を読み込めませんでした。</source>
        <translation>The picture could not be read.</translation>
    </message>
    <message>
        <source>画像が大きすぎるため開けません。</source>
        <translation>The picture is too large to open.</translation>
    </message>
    <message>
        <source>画像が大きすぎるため開けません(%1 x %2)。</source>
        <translatorcomment>Variable parts: %1, %2, ... in the order of the source.</translatorcomment>
        <translation>The picture is too large to open (%1 x %2).</translation>
    </message>
    <message>
        <source>画像の読み込みは 32bit のドキュメントでのみできます。</source>
        <translation>Pictures can be imported into 32-bit documents only.</translation>
    </message>
    <message>
        <source>TIFFファイル</source>
        <translation>TIFF files</translation>
    </message>
    <message>
        <source>WebPファイル</source>
        <translation>WebP files</translation>
    </message>
    <message>
        <source>画像ファイル</source>
        <translation>Picture files</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)	Ctrl+W</source>
        <translation>&amp;Close	Ctrl+W</translation>
    </message>
    <message>
        <source>作業中のファイルを閉じて新規ファイルにする
閉じる</source>
        <translation>Close the current file and start a new one
Close</translation>
    </message>
</context>
</TS>
