// The one string grid: cells addressed with the fixed rows counted, fixed rows
// shown as the frozen header, editing reported in grid coordinates.

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "DxGrid.h"
#include "WinTestSupport.h"

TEST(DxGrid, FixedRowsFormTheHeaderAndCellsKeepGridCoordinates) {
  TDxStringGrid G;
  G.SetAll(3, {{"DAY", "LAI", "WSO"}, {"d", "m2/m2", "kg/ha"}, {"1", "0.5", "0"}, {"2", "0.7"}});
  G.SetFixedRows(2);
  EXPECT_EQ(G.RowCount(), 4);
  EXPECT_EQ(G.Model()->rowCount(), 2);
  EXPECT_EQ(G.Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "LAI\nm2/m2");
  EXPECT_TRUE(G.horizontalHeader()->isVisibleTo(&G));
  EXPECT_EQ(G.Cells(1, 3), "0.7");
  EXPECT_EQ(G.Cells(2, 3), "");  // a short row is padded
  G.SetCells(2, 3, "12");
  EXPECT_EQ(G.Model()->data(G.Model()->index(1, 2), Qt::DisplayRole).toString(), "12");

  // Growing keeps what is there; cells outside are empty and ignored.
  G.SetRowCount(6);
  EXPECT_EQ(G.Cells(0, 2), "1");
  EXPECT_EQ(G.Cells(5, 9), "");
  G.SetCells(5, 9, "x");
  G.SetFixedRows(0);
  EXPECT_FALSE(G.horizontalHeader()->isVisibleTo(&G));
}

TEST(DxGrid, EditingIsReportedWithTheFixedRowsCounted) {
  TDxStringGrid G;
  G.SetAll(2, {{"A", "B"}, {"1", "2"}});
  G.SetFixedRows(1);
  QSignalSpy Edited(&G, &TDxStringGrid::CellEdited);
  QSignalSpy Selected(&G, &TDxStringGrid::SelectCell);
  EXPECT_FALSE(G.Model()->flags(G.Model()->index(0, 1)) & Qt::ItemIsEditable);
  G.SetEditing(true);
  G.show();
  G.SetCurrentCell(1, 1);
  ASSERT_EQ(Selected.count(), 1);
  EXPECT_EQ(Selected[0][0].toInt(), 1);
  EXPECT_EQ(Selected[0][1].toInt(), 1);
  EXPECT_TRUE(G.Model()->setData(G.Model()->index(0, 1), "7", Qt::EditRole));
  ASSERT_EQ(Edited.count(), 1);
  EXPECT_EQ(G.Cells(1, 1), "7");
  EXPECT_EQ(G.Col(), 1);
  EXPECT_EQ(G.Row(), 1);
}
